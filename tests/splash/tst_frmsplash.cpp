#include "ui/converter/ImageList.h"
#include "ui/splash/frmSplash.h"

#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace pellimor;

namespace {

const QStringList vegetables{"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"};

void showSplash(frmSplash& splash)
{
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
}

} // namespace

class TestFrmSplash : public QObject {
    Q_OBJECT

private slots:
    void loadShowsPicturesAndHidesVegetables();
    void chainLinkShowsItsVegetable_data();
    void chainLinkShowsItsVegetable();
    void switchingOnAgainKeepsTheSchedule();
    void flashTogglesEveryVegetable();
    void handOver_data();
    void handOver();
    void unloadStopsEveryTimer();
};

void TestFrmSplash::loadShowsPicturesAndHidesVegetables()
{
    frmSplash splash;
    showSplash(splash);
    // Pictures keep their natural size, though the logo is larger and the vegetables
    // taller than their controls.
    const QHash<QString, QString> pictures{{"imgLogo", "logo"}, {"imgRadis", "Radis"},
                                           {"imgTomate", "Tomate"}, {"imgCarotte", "Carotte"},
                                           {"imgPoivron", "Poivron"}};
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
        auto* image = splash.findChild<QLabel*>(it.key());
        QVERIFY2(image, qPrintable(it.key()));
        QCOMPARE(image->pixmap().cacheKey(), ImageList::shared().picture(it.value()).cacheKey());
        QCOMPARE(image->size(), it.key() == "imgLogo" ? QSize(100, 96) : QSize(32, 32));
        QCOMPARE(image->isVisible(), it.key() == "imgLogo");
    }
    QCOMPARE(splash.cursor().shape(), Qt::WaitCursor);
}

void TestFrmSplash::chainLinkShowsItsVegetable_data()
{
    QTest::addColumn<QByteArray>("handler");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("switchedOn");
    QTest::newRow("radish") << QByteArray("tmrRadis_Timer") << "imgRadis" << "tmrTomate";
    QTest::newRow("tomato") << QByteArray("tmrTomate_Timer") << "imgTomate" << "tmrCarotte";
    QTest::newRow("carrot") << QByteArray("tmrCarotte_Timer") << "imgCarotte" << "tmrPoivron";
    QTest::newRow("pepper") << QByteArray("tmrPoivron_Timer") << "imgPoivron" << "tmrFlash";
}

void TestFrmSplash::chainLinkShowsItsVegetable()
{
    QFETCH(QByteArray, handler);
    QFETCH(QString, shown);
    QFETCH(QString, switchedOn);
    frmSplash splash;
    showSplash(splash);
    QHash<QString, bool> runningBefore;
    for (QTimer* timer : splash.findChildren<QTimer*>())
        runningBefore.insert(timer->objectName(), timer->isActive());

    QVERIFY(QMetaObject::invokeMethod(&splash, handler.constData()));

    for (const QString& name : vegetables)
        QCOMPARE(splash.findChild<QLabel*>(name)->isVisible(), name == shown);
    // The next timer goes on; every other one, its own included, stays as it was.
    for (QTimer* timer : splash.findChildren<QTimer*>())
        QVERIFY2(timer->isActive() == (timer->objectName() == switchedOn || runningBefore[timer->objectName()]),
                 qPrintable(timer->objectName()));
}

void TestFrmSplash::switchingOnAgainKeepsTheSchedule()
{
    frmSplash splash;
    auto* tomato = splash.findChild<QTimer*>(QStringLiteral("tmrTomate"));
    QVERIFY(tomato);
    splash.tmrRadis_Timer();
    QVERIFY(tomato->isActive());
    // A restart by the second radish tick would put the full period back.
    QTRY_VERIFY_WITH_TIMEOUT(tomato->remainingTime() < frmSplash::ChainInterval - 40, 1000);
    const int remaining = tomato->remainingTime();
    splash.tmrRadis_Timer();
    QVERIFY(tomato->remainingTime() <= remaining);
}

void TestFrmSplash::flashTogglesEveryVegetable()
{
    frmSplash splash;
    showSplash(splash);
    const QList<bool> before{true, false, false, true};
    for (int i = 0; i < vegetables.size(); ++i)
        splash.findChild<QLabel*>(vegetables[i])->setVisible(before[i]);
    for (bool flipped : {true, false}) {
        splash.tmrFlash_Timer();
        for (int i = 0; i < vegetables.size(); ++i)
            QVERIFY2(splash.findChild<QLabel*>(vegetables[i])->isVisible() == (before[i] != flipped),
                     qPrintable(vegetables[i]));
    }
}

void TestFrmSplash::handOver_data()
{
    QTest::addColumn<int>("key");          // 0: a click on "target"
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("vegetablesShown");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("letter") << int(Qt::Key_A) << "" << false << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << "" << false << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "" << false << true;
    QTest::newRow("Shift makes no character") << int(Qt::Key_Shift) << "" << false << false;
    QTest::newRow("arrow makes no character") << int(Qt::Key_Left) << "" << false << false;
    QTest::newRow("bare panel") << 0 << "Frame1" << false << true;
    QTest::newRow("where a hidden vegetable stands") << 0 << "imgRadis" << false << true;
    QTest::newRow("a shown vegetable") << 0 << "imgRadis" << true << false;
    QTest::newRow("version") << 0 << "lblVersion" << false << false;
    QTest::newRow("logo") << 0 << "imgLogo" << false << false;
    QTest::newRow("window outside the panel") << 0 << "frmSplash" << false << false;
}

void TestFrmSplash::handOver()
{
    QFETCH(int, key);
    QFETCH(QString, target);
    QFETCH(bool, vegetablesShown);
    QFETCH(bool, handsOver);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    auto* panel = splash.findChild<QFrame*>(QStringLiteral("Frame1"));
    QVERIFY(panel);
    for (const QString& name : vegetables)
        splash.findChild<QLabel*>(name)->setVisible(vegetablesShown);
    QSignalSpy spy(&splash, &frmSplash::handOver);

    if (key) {
        QTest::keyClick(&splash, Qt::Key(key));
    } else if (target == QLatin1String("Frame1")) {   // right of the vegetables, below the version
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(433, 180));
    } else if (target == QLatin1String("frmSplash")) {   // the strip left of the panel
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(3, 100));
    } else {
        auto* control = splash.findChild<QLabel*>(target);
        QVERIFY(control);
        if (control->isVisible())
            QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        else
            QTest::mouseClick(panel, Qt::LeftButton, {}, control->geometry().center());
    }
    QCOMPARE(spy.count(), handsOver ? 1 : 0);
}

void TestFrmSplash::unloadStopsEveryTimer()
{
    frmSplash splash;
    showSplash(splash);
    splash.tmrRadis_Timer();
    splash.tmrTomate_Timer();
    splash.tmrCarotte_Timer();
    splash.tmrPoivron_Timer();
    splash.close();
    for (QTimer* timer : splash.findChildren<QTimer*>())
        QVERIFY2(!timer->isActive(), qPrintable(timer->objectName()));
}

QTEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
