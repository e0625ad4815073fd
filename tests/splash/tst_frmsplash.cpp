#include "ui/splash/frmSplash.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <array>
#include <memory>

using namespace pellimor;

namespace {
// What the splash promises, in milliseconds: a vegetable every 350, the hand-over at 3500.
constexpr int ChainInterval = 350;
constexpr int HandOverInterval = 3500;
} // namespace

class TestFrmSplash : public QObject {
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void timers_data();
    void timers();
    void switchingOnAgainKeepsTheSchedule();
    void handOverNeverEarly();
};

void TestFrmSplash::run_data()
{
    // Steps on a new splash: a slot called, "key K", or "click X" at the centre of control X or
    // at window point X; then the vegetables shown, the timers running, and whether it handed over.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("state");
    // Each link shows its vegetable and switches on the next timer; none stops its own.
    const QStringList chain{"tmrRadis_Timer", "tmrTomate_Timer", "tmrCarotte_Timer", "tmrPoivron_Timer"};
    QTest::newRow("whole chain") << chain
        << "Timer1 imgCarotte imgPoivron imgRadis imgTomate tmrCarotte tmrFlash tmrPoivron tmrRadis tmrTomate";
    // Unloading stops every timer.
    QTest::newRow("unloading") << chain + QStringList{"close"} << "imgCarotte imgPoivron imgRadis imgTomate";
    // The flash toggles each vegetable on its own.
    QTest::newRow("flash") << QStringList{chain[0], chain[3], "tmrFlash_Timer"}
                           << "Timer1 imgCarotte imgTomate tmrFlash tmrRadis tmrTomate";
    // A key that makes a character hands over, control codes included; so does a click on the
    // bare panel, but not on a shown picture or label, nor on the window outside the panel.
    QTest::newRow("letter") << QStringList{"key A"} << "Timer1 handOver tmrRadis";
    QTest::newRow("Escape") << QStringList{"key Esc"} << "Timer1 handOver tmrRadis";
    QTest::newRow("arrow") << QStringList{"key Left"} << "Timer1 tmrRadis";
    QTest::newRow("bare panel, below the version") << QStringList{"click 441,180"} << "Timer1 handOver tmrRadis";
    QTest::newRow("where the hidden radish stands") << QStringList{"click imgRadis"} << "Timer1 handOver tmrRadis";
    QTest::newRow("shown radish") << QStringList{chain[0], "click imgRadis"} << "Timer1 imgRadis tmrRadis tmrTomate";
    QTest::newRow("version") << QStringList{"click lblVersion"} << "Timer1 tmrRadis";
    QTest::newRow("window left of the panel") << QStringList{"click 3,100"} << "Timer1 tmrRadis";
}

void TestFrmSplash::run()
{
    QFETCH(QStringList, steps);
    frmSplash splash;
    QList<Qt::CursorShape> pointerWhenShown;   // each time the splash says it is on screen
    connect(&splash, &frmSplash::shown, this, [&] { pointerWhenShown << splash.cursor().shape(); });
    splash.show();
    // The hourglass while it is shown, up in the first turn after the window is exposed, and
    // only then does the splash say it is on screen.
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    for (int turn = 0; turn < 3 && pointerWhenShown.isEmpty(); ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(pointerWhenShown, QList{Qt::WaitCursor});
    QSignalSpy handOver(&splash, &frmSplash::handOver);
    for (const QString& step : steps) {
        const QString arg = step.section(u' ', 1);
        if (step.startsWith(QLatin1String("key "))) {
            QTest::keyClick(&splash, QKeySequence(arg)[0].key());
        } else if (step.startsWith(QLatin1String("click "))) {
            const auto* control = splash.findChild<QWidget*>(arg);
            const QPoint at = control ? control->mapTo(&splash, control->rect().center())
                                      : QPoint(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
            // Where a real click lands: the topmost shown widget there.
            QWidget* target = splash.childAt(at) ? splash.childAt(at) : &splash;
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&splash, at));
        } else {
            QVERIFY(QMetaObject::invokeMethod(&splash, qPrintable(step)));
        }
    }
    QStringList state(handOver.count(), QStringLiteral("handOver"));
    for (QObject* part : splash.findChildren<QObject*>(QRegularExpression(QStringLiteral("^(img[^L]|tmr|Timer)")))) {
        auto* timer = qobject_cast<QTimer*>(part);
        if (timer ? timer->isActive() : !static_cast<QWidget*>(part)->isHidden())
            state << part->objectName();
    }
    state.sort();
    QTEST(state.join(u' '), "state");
}

void TestFrmSplash::timers_data()
{
    // Every timer of the splash: how often it ticks, in milliseconds, and whether it runs
    // from the load.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("running");
    QTest::newRow("blink") << "tmrFlash" << 50 << false;
    QTest::newRow("radish") << "tmrRadis" << ChainInterval << true;
    QTest::newRow("pepper") << "tmrPoivron" << ChainInterval << false;
    QTest::newRow("carrot") << "tmrCarotte" << ChainInterval << false;
    QTest::newRow("tomato") << "tmrTomate" << ChainInterval << false;
    QTest::newRow("hand-over") << "Timer1" << HandOverInterval << true;
}

void TestFrmSplash::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, running);
    frmSplash splash;
    const QTimer* timer = splash.findChild<QTimer*>(name);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), interval);
    QCOMPARE(timer->isActive(), running);
}

void TestFrmSplash::switchingOnAgainKeepsTheSchedule()
{
    frmSplash splash;
    auto* tomato = splash.findChild<QTimer*>(QStringLiteral("tmrTomate"));
    splash.tmrRadis_Timer();
    // A restart by the next radish tick would put the full period back and stall the chain.
    QTRY_VERIFY_WITH_TIMEOUT(tomato->remainingTime() < ChainInterval - 40, 1000);
    const int remaining = tomato->remainingTime();
    splash.tmrRadis_Timer();
    QVERIFY(tomato->remainingTime() <= remaining);
}

// The hand-over comes 3500 ms after the splash was loaded, never before. A timer allowed
// to fire early does so only at some moments of the clock, so six splashes are loaded at
// scattered moments and each is timed from its own load.
void TestFrmSplash::handOverNeverEarly()
{
    constexpr int splashes = 6;
    std::array<std::unique_ptr<frmSplash>, splashes> windows;
    std::array<QElapsedTimer, splashes> loaded;
    std::array<qint64, splashes> handedOver;
    handedOver.fill(-1);
    for (int i = 0; i < splashes; ++i) {
        loaded[i].start();
        windows[i] = std::make_unique<frmSplash>();
        connect(windows[i].get(), &frmSplash::handOver, this, [&, i] {
            if (handedOver[i] < 0)
                handedOver[i] = loaded[i].elapsed();
        });
        for (const QTimer* timer : windows[i]->findChildren<QTimer*>())
            QVERIFY2(timer->timerType() == Qt::PreciseTimer, qPrintable(timer->objectName()));
        QTest::qWait(37 + 53 * i);
    }
    QTRY_VERIFY_WITH_TIMEOUT(std::count(handedOver.begin(), handedOver.end(), -1) == 0, HandOverInterval * 2);
    for (const qint64 at : handedOver)
        QVERIFY2(at >= HandOverInterval, qPrintable(QStringLiteral("handed over at %1 ms").arg(at)));
}

QTEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
