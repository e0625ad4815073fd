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
            QString picture;
            if (label && !label->pixmap().isNull())
                picture = QString::number(label->pixmap().cacheKey());
            QDebug(&state.emplaceBack()) << widget->metaObject()->className() << widget->objectName()
                                         << widget->geometry() << widget->isHidden() << picture;
        }
    }
    return state;
}

// Calls `act` the moment `window` is first exposed, before anyone else hears of it.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow* window, std::function<void()> act) : m_act(std::move(act)) { window->installEventFilter(this); }
    bool seen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed() && !seen) {
            seen = true;
            m_act();
        }
        return false;
    }

private:
    std::function<void()> m_act;
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
    // Slots called on the windows in turn, and the windows left after each call. The run
    // must end exactly when none is left. `early`: the calls come before the event loop
    // has turned once, so before the converter window is built behind the splash.
    QTest::addColumn<bool>("early");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("after");
    const QString handOver("frmSplash.Timer1_Timer"), about("frmGUI.mnuAbout_Click"), exit("frmGUI.mnuExit_Click"),
        agreement("frmAbout.cmdAgreement_Click"), aboutOK("frmAbout.cmdOK_Click"), all("frmAbout frmAgreement frmGUI");
    // As a window manager would: the hidden converter window goes with it.
    QTest::newRow("splash closed") << false << QStringList{"frmSplash.close"} << QStringList{""};
    // Nothing is left behind, and nothing is built later.
    QTest::newRow("splash closed at once") << true << QStringList{"frmSplash.close"} << QStringList{""};
    QTest::newRow("hand-over at once") << true << QStringList{handOver, exit} << QStringList{"frmGUI", ""};
    QTest::newRow("Exit with nothing else open") << false << QStringList{handOver, exit} << QStringList{"frmGUI", ""};
    QTest::newRow("About outlives the converter") << false << QStringList{handOver, about, exit, aboutOK}
                                                  << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout", ""};
    QTest::newRow("a hidden About keeps the run going") << false << QStringList{handOver, about, "frmAbout.hide", exit}
        << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout(hidden) frmGUI", "frmAbout(hidden)"};
    QTest::newRow("each asked for twice, agreement outlives both") << false
        << QStringList{handOver, about, agreement, about, agreement, exit, aboutOK, "frmAgreement.cmdOK_Click"}
        << QStringList{"frmGUI", "frmAbout frmGUI", all, all, all, "frmAbout frmAgreement", "frmAgreement", ""};
}

void TestForms::run()
{
    QFETCH(bool, early);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, after);
    test::FakeServices fakes;
    Forms forms(fakes.services());
    QSignalSpy ended(&forms, &Forms::lastWindowUnloaded);
    forms.start();
    QCOMPARE(windows(), QStringLiteral("frmSplash"));
    if (!early)
        QTRY_COMPARE(windows(), QStringLiteral("frmGUI(hidden) frmSplash"));
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const QStringList call = calls[i].split(u'.');
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != call[0] || QMetaObject::invokeMethod(window, qPrintable(call[1])));
        QCOMPARE(windows(), after[i]);
        QCOMPARE(ended.count(), after[i].isEmpty() ? 1 : 0);
    }
    // Whatever was still queued changes none of it.
    QTest::qWait(50);
    QCOMPARE(windows(), after.last());
    QCOMPARE(ended.count(), after.last().isEmpty() ? 1 : 0);
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
    test::FakeServices fakes;
    Forms forms(fakes.services());
    QSignalSpy ended(&forms, &Forms::lastWindowUnloaded);
    forms.start();
    frmSplash& splash = forms.frmSplash();
    bool builtBeforeExposed = true;
    ExposeWatch watch(splash.windowHandle(), [&] {
        builtBeforeExposed = forms.isLoaded(W::frmGUI);
        if (then == "key")
            QMetaObject::invokeMethod(&splash, [&] { QTest::keyClick(&splash, Qt::Key_Space); }, Qt::QueuedConnection);
        else if (then == "close")
            QMetaObject::invokeMethod(&splash, &QWidget::close, Qt::QueuedConnection);
    });
    QTRY_VERIFY(watch.seen);
    QVERIFY(!builtBeforeExposed);
    // The next turn of the event loop, not a timer's: no waiting.
    for (int turn = 0; turn < 3 && windows() == "frmSplash"; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(windows(), after);
    QCOMPARE(ended.count(), after.isEmpty() ? 1 : 0);
    if (after.isEmpty())
        return;

    // Built and loaded as it always is, whenever it was built, and shown as it is. No
    // event loop turns from here on, so no timer can set either window apart.
    frmGUI reference(fakes.services());
    reference.setVisible(then == "key");
    QCOMPARE(loadedState(forms.frmGUI()), loadedState(reference));
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
