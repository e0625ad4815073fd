#include "app/Forms.h"
#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace pellimor;
using test::FakeServices;
using Window = Forms::Window;

namespace {

// Deleting closed windows is deferred; this lets it happen now.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <class W>
int countTopLevel()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<W*>(widget) != nullptr;
    return count;
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void startLoadsTheConverterHiddenDuringTheSplash();
    void handOver_data();
    void handOver();
    void clickOnALabelKeepsTheSplash();
    void splashClosedWithoutHandOverEndsTheRun();
    void oneWindowPerClass_data();
    void oneWindowPerClass();
    void unloadedWindowLoadsAfresh();
    void runEndsWithTheLastWindow_data();
    void runEndsWithTheLastWindow();
};

void TestForms::cleanup()
{
    flushDeletes();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestForms::startLoadsTheConverterHiddenDuringTheSplash()
{
    FakeServices fakes;
    Forms forms(fakes.services());
    QVERIFY(!forms.isLoaded(Window::frmGUI));

    forms.start();

    QVERIFY(forms.isLoaded(Window::frmSplash));
    QVERIFY(forms.isLoaded(Window::frmGUI));
    frmGUI& gui = forms.frmGUI();
    QVERIFY(!gui.isVisible());
    QVERIFY(forms.frmSplash().isVisible());
    for (const char* name : {"tmrCategory", "tmrStop"}) {
        auto* timer = gui.findChild<QTimer*>(QLatin1String(name));
        QVERIFY2(timer && timer->isActive(), name);
    }
    QCOMPARE(countTopLevel<frmGUI>(), 1);
}

void TestForms::handOver_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("clock") << "clock";
    QTest::newRow("letter") << "letter";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("panel click") << "panel";
}

void TestForms::handOver()
{
    QFETCH(QString, by);
    FakeServices fakes;
    Forms forms(fakes.services());
    forms.start();
    QPointer<frmSplash> splash = &forms.frmSplash();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QPointer<frmGUI> gui = &forms.frmGUI();

    if (by == QLatin1String("clock"))
        splash->Timer1_Timer();
    else if (by == QLatin1String("letter"))
        QTest::keyClick(splash, Qt::Key_Q);
    else if (by == QLatin1String("Escape"))
        QTest::keyClick(splash, Qt::Key_Escape);
    else
        QTest::mouseClick(splash->findChild<QFrame*>(QStringLiteral("Frame1")), Qt::LeftButton, {},
                          QPoint(433, 180));

    QVERIFY(!forms.isLoaded(Window::frmSplash));
    QVERIFY(forms.isLoaded(Window::frmGUI));
    QVERIFY(gui && gui->isVisible());
    QCOMPARE(&forms.frmGUI(), gui.data());   // the one loaded at start, not a new one
    flushDeletes();
    QVERIFY(splash.isNull());
}

void TestForms::clickOnALabelKeepsTheSplash()
{
    FakeServices fakes;
    Forms forms(fakes.services());
    forms.start();
    frmSplash& splash = forms.frmSplash();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    auto* name = splash.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(name);
    QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    QVERIFY(forms.isLoaded(Window::frmSplash));
    QVERIFY(!forms.frmGUI().isVisible());
}

void TestForms::splashClosedWithoutHandOverEndsTheRun()
{
    FakeServices fakes;
    Forms forms(fakes.services());
    QSignalSpy ended(&forms, &Forms::lastWindowUnloaded);
    forms.start();
    QPointer<frmGUI> gui = &forms.frmGUI();
    forms.frmSplash().close();   // as a window manager would
    QVERIFY(!forms.isLoaded(Window::frmGUI));
    flushDeletes();
    QVERIFY(gui.isNull());
    QCOMPARE(ended.count(), 1);
}

void TestForms::oneWindowPerClass_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("About, from the Help menu") << "about";
    QTest::newRow("agreement, from the About window") << "agreement";
}

void TestForms::oneWindowPerClass()
{
    QFETCH(QString, window);
    FakeServices fakes;
    Forms forms(fakes.services());
    forms.start();
    forms.frmSplash().Timer1_Timer();
    frmGUI& gui = forms.frmGUI();

    const bool about = window == QLatin1String("about");
    for (int i = 0; i < 3; ++i) {
        if (about)
            gui.mnuAbout_Click();
        else
            forms.frmAbout().cmdAgreement_Click();
    }
    flushDeletes();
    if (about) {
        QCOMPARE(countTopLevel<frmAbout>(), 1);
        QVERIFY(forms.frmAbout().isVisible());
    } else {
        QCOMPARE(countTopLevel<frmAgreement>(), 1);
        QVERIFY(forms.frmAgreement().isVisible());
    }
    QCOMPARE(countTopLevel<frmGUI>(), 1);
}

void TestForms::unloadedWindowLoadsAfresh()
{
    FakeServices fakes;
    Forms forms(fakes.services());
    QPointer<frmAbout> first = &forms.frmAbout();
    forms.unload(Window::frmAbout);
    QVERIFY(!forms.isLoaded(Window::frmAbout));
    frmAbout& second = forms.frmAbout();
    QVERIFY(forms.isLoaded(Window::frmAbout));
    flushDeletes();
    QVERIFY(first.isNull());
    // Loaded again: Form_Load ran for the new window.
    QCOMPARE(second.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.4.3"));
}

void TestForms::runEndsWithTheLastWindow_data()
{
    // Steps: "about" (Help, About), "agreement" (the About window's button), "exit"
    // (File, Exit), "closeAbout", "closeAgreement". The run must end right after the
    // step named in "endsAfter" and not before.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("endsAfter");
    QTest::newRow("Exit with nothing else open")
        << QStringList{"exit"} << 0;
    QTest::newRow("About outlives the converter")
        << QStringList{"about", "exit", "closeAbout"} << 2;
    QTest::newRow("About closed first")
        << QStringList{"about", "closeAbout", "exit"} << 2;
    QTest::newRow("agreement outlives both")
        << QStringList{"about", "agreement", "exit", "closeAbout", "closeAgreement"} << 4;
    QTest::newRow("agreement opened after the converter went")
        << QStringList{"about", "exit", "agreement", "closeAbout", "closeAgreement"} << 4;
}

void TestForms::runEndsWithTheLastWindow()
{
    QFETCH(QStringList, steps);
    QFETCH(int, endsAfter);
    FakeServices fakes;
    Forms forms(fakes.services());
    QSignalSpy ended(&forms, &Forms::lastWindowUnloaded);
    forms.start();
    forms.frmSplash().Timer1_Timer();
    flushDeletes();

    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (step == QLatin1String("about"))
            forms.frmGUI().mnuAbout_Click();
        else if (step == QLatin1String("agreement"))
            forms.frmAbout().cmdAgreement_Click();
        else if (step == QLatin1String("exit"))
            forms.frmGUI().mnuExit_Click();
        else if (step == QLatin1String("closeAbout"))
            forms.frmAbout().cmdOK_Click();
        else if (step == QLatin1String("closeAgreement"))
            forms.frmAgreement().cmdOK_Click();
        flushDeletes();
        // Nothing brings a hidden converter window back once it has gone.
        if (steps.indexOf(QStringLiteral("exit")) <= i)
            QVERIFY2(!forms.isLoaded(Window::frmGUI), qPrintable(step));
        QVERIFY2(ended.count() == (i >= endsAfter ? 1 : 0), qPrintable(step));
    }
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
