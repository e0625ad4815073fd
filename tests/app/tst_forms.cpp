#include "app/Forms.h"
#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

using namespace pellimor;
using W = Forms::Window;

namespace {

// The windows alive once deferred deletes are done, by name; "(hidden)" marks one not shown.
QString windows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget())   // not the menus
            names << window->objectName() + (window->isHidden() ? "(hidden)" : "");
    names.sort();
    return names.join(u' ');
}

// Everything a loaded window is made of: each control with its place and state, each
// picture it shows, and the timers that run.
QStringList loadedState(const QWidget& window)
{
    QStringList state{QString::number(window.windowIcon().cacheKey() != 0)};
    for (const QObject* part : window.findChildren<QObject*>()) {
        if (const auto* timer = qobject_cast<const QTimer*>(part)) {
            state << part->objectName() + (timer->isActive() ? " running" : "");
        } else if (const auto* widget = qobject_cast<const QWidget*>(part)) {
            const auto* label = qobject_cast<const QLabel*>(widget);
            QDebug(&state.emplaceBack()) << widget->metaObject()->className() << widget->objectName()
                                         << widget->geometry() << widget->isHidden()
                                         << (label ? label->pixmap().cacheKey() : 0);   // 0: no picture
        }
    }
    return state;
}

// A run of the program's windows on fakes, started; `ended` hears the run end.
struct Run {
    test::FakeServices fakes;
    Forms forms{fakes.services()};
    QSignalSpy ended{&forms, &Forms::lastWindowUnloaded};
    Run() { forms.start(); }
    // The windows alive, and whether the run has ended exactly when none is left.
    QString left() const
    {
        const QString alive = windows();
        return alive + (ended.count() == alive.isEmpty() ? "" : " (ended wrongly)");
    }
};

// Calls `act` the moment the window it filters is first exposed, before anyone else hears of it.
struct ExposeWatch : QObject {
    std::function<void()> act;
    bool seen = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen && event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            seen = true;
            act();
        }
        return false;
    }
};

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void converterBehindTheSplash_data();
    void converterBehindTheSplash();
};

void TestForms::run_data()
{
    // Slots called on the windows in turn, once the converter window is built behind the
    // splash, and the windows left after each call. The run must end exactly when none is left.
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("after");
    const QString handOver("frmSplash.Timer1_Timer"), about("frmGUI.mnuAbout_Click"), exit("frmGUI.mnuExit_Click"),
        agreement("frmAbout.cmdAgreement_Click"), aboutOK("frmAbout.cmdOK_Click"), all("frmAbout frmAgreement frmGUI");
    // As a window manager would: the hidden converter window goes with it.
    QTest::newRow("splash closed") << QStringList{"frmSplash.close"} << QStringList{""};
    QTest::newRow("Exit with nothing else open") << QStringList{handOver, exit} << QStringList{"frmGUI", ""};
    QTest::newRow("About outlives the converter") << QStringList{handOver, about, exit, aboutOK}
                                                  << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout", ""};
    QTest::newRow("a hidden About keeps the run going") << QStringList{handOver, about, "frmAbout.hide", exit}
        << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout(hidden) frmGUI", "frmAbout(hidden)"};
    QTest::newRow("each asked for twice, agreement outlives both")
        << QStringList{handOver, about, agreement, about, agreement, exit, aboutOK, "frmAgreement.cmdOK_Click"}
        << QStringList{"frmGUI", "frmAbout frmGUI", all, all, all, "frmAbout frmAgreement", "frmAgreement", ""};
}

void TestForms::run()
{
    QFETCH(QStringList, calls);
    QFETCH(QStringList, after);
    Run run;
    QTRY_COMPARE(windows(), QStringLiteral("frmGUI(hidden) frmSplash"));
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const QStringList call = calls[i].split(u'.');
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != call[0] || QMetaObject::invokeMethod(window, qPrintable(call[1])));
        QCOMPARE(run.left(), after[i]);
    }
    // Whatever was still queued changes none of it.
    QTest::qWait(50);
    QCOMPARE(run.left(), after.last());
}

void TestForms::converterBehindTheSplash_data()
{
    // What happens at the first moment anything can, right after the splash is exposed
    // and before the next turn of the event loop; the windows then, and whether the
    // converter window shown is complete.
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("after");
    QTest::newRow("nothing") << "" << "frmGUI(hidden) frmSplash";
    QTest::newRow("key") << "key" << "frmGUI";
    QTest::newRow("splash closed") << "close" << "";
}

void TestForms::converterBehindTheSplash()
{
    QFETCH(QString, then);
    QFETCH(QString, after);
    Run run;
    frmSplash& splash = run.forms.frmSplash();
    bool builtBeforeExposed = true;
    ExposeWatch watch;
    watch.act = [&] {
        builtBeforeExposed = run.forms.isLoaded(W::frmGUI);
        if (then == "key")
            QMetaObject::invokeMethod(&splash, [&] { QTest::keyClick(&splash, Qt::Key_Space); }, Qt::QueuedConnection);
        else if (then == "close")
            QMetaObject::invokeMethod(&splash, &QWidget::close, Qt::QueuedConnection);
    };
    splash.windowHandle()->installEventFilter(&watch);
    QTRY_VERIFY(watch.seen);
    QVERIFY(!builtBeforeExposed);
    // The next turn of the event loop, not a timer's: no waiting.
    for (int turn = 0; turn < 3 && windows() == "frmSplash"; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(run.left(), after);
    if (after.isEmpty()) {   // nor is anything built later
        QTest::qWait(50);
        QCOMPARE(run.left(), after);
        return;
    }

    // Built and loaded as it always is, whenever it was built, and shown as it is. No
    // event loop turns from here on, so no timer can set either window apart.
    frmGUI reference(run.fakes.services());
    reference.setVisible(then == "key");
    QCOMPARE(loadedState(run.forms.frmGUI()), loadedState(reference));
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
