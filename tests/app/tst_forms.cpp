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
    const QWidgetList all = QApplication::topLevelWidgets();
    return int(std::count_if(all.cbegin(), all.cend(), [](QWidget* w) { return qobject_cast<W*>(w); }));
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void startLoadsTheConverterHiddenDuringTheSplash();
    void handOver_data();
    void handOver();
    void splashClosedWithoutHandOverEndsTheRun();
    void oneWindowPerClass_data();
    void oneWindowPerClass();
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
    QVERIFY(forms.isLoaded(Window::frmGUI));
    QVERIFY(forms.frmSplash().isVisible());
    frmGUI& gui = forms.frmGUI();
    QVERIFY(!gui.isVisible());
    for (const char* name : {"tmrCategory", "tmrStop"}) {
        auto* timer = gui.findChild<QTimer*>(QLatin1String(name));
        QVERIFY2(timer && timer->isActive(), name);
    }
    QCOMPARE(countTopLevel<frmGUI>(), 1);
}

void TestForms::handOver_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("clock") << "clock" << true;
    QTest::newRow("letter") << "letter" << true;
    QTest::newRow("panel click") << "panel" << true;
    QTest::newRow("click on a label keeps the splash") << "label" << false;
}

void TestForms::handOver()
{
    QFETCH(QString, by);
    QFETCH(bool, handsOver);
    FakeServices fakes;
    Forms forms(fakes.services());
    forms.start();
    QPointer<frmSplash> splash = &forms.frmSplash();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QPointer<frmGUI> gui = &forms.frmGUI();

    if (by == QLatin1String("clock")) {
        splash->Timer1_Timer();
    } else if (by == QLatin1String("letter")) {
        QTest::keyClick(splash, Qt::Key_Q);
    } else if (by == QLatin1String("panel")) {
        QTest::mouseClick(splash->findChild<QFrame*>(QStringLiteral("Frame1")), Qt::LeftButton, {}, QPoint(433, 180));
    } else {
        auto* name = splash->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(name);
        QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    }

    QCOMPARE(forms.isLoaded(Window::frmSplash), !handsOver);
    QVERIFY(gui && forms.isLoaded(Window::frmGUI));
    QCOMPARE(gui->isVisible(), handsOver);
    QCOMPARE(&forms.frmGUI(), gui.data());   // the one loaded at start, not a new one
    flushDeletes();
    QCOMPARE(splash.isNull(), handsOver);
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
    QTest::addColumn<bool>("about");
    QTest::newRow("About, from the Help menu") << true;
    QTest::newRow("agreement, from the About window") << false;
}

void TestForms::oneWindowPerClass()
{
    QFETCH(bool, about);
    FakeServices fakes;
    Forms forms(fakes.services());
    forms.start();
    forms.frmSplash().Timer1_Timer();
    for (int i = 0; i < 3; ++i) {
        if (about)
            forms.frmGUI().mnuAbout_Click();
        else
            forms.frmAbout().cmdAgreement_Click();
    }
    flushDeletes();
    QCOMPARE(countTopLevel<frmAbout>(), 1);
    QCOMPARE(countTopLevel<frmAgreement>(), about ? 0 : 1);
    QVERIFY(about ? forms.frmAbout().isVisible() : forms.frmAgreement().isVisible());
    QCOMPARE(countTopLevel<frmGUI>(), 1);
}

void TestForms::runEndsWithTheLastWindow_data()
{
    // The run must end right after step number "endsAfter" and not before.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("endsAfter");
    QTest::newRow("Exit with nothing else open") << QStringList{"exit"} << 0;
    QTest::newRow("About outlives the converter") << QStringList{"about", "exit", "closeAbout"} << 2;
    QTest::newRow("About closed first") << QStringList{"about", "closeAbout", "exit"} << 2;
    QTest::newRow("agreement outlives both")
        << QStringList{"about", "agreement", "exit", "closeAbout", "closeAgreement"} << 4;
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

    const QHash<QString, std::function<void()>> act{
        {"about", [&] { forms.frmGUI().mnuAbout_Click(); }},
        {"agreement", [&] { forms.frmAbout().cmdAgreement_Click(); }},
        {"exit", [&] { forms.frmGUI().mnuExit_Click(); }},
        {"closeAbout", [&] { forms.frmAbout().cmdOK_Click(); }},
        {"closeAgreement", [&] { forms.frmAgreement().cmdOK_Click(); }},
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        act[steps[i]]();
        flushDeletes();
        // Nothing brings a hidden converter window back once it has gone.
        if (steps.indexOf(QStringLiteral("exit")) <= i)
            QVERIFY2(!forms.isLoaded(Window::frmGUI), qPrintable(steps[i]));
        QVERIFY2(ended.count() == (i >= endsAfter ? 1 : 0), qPrintable(steps[i]));
    }
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
