#include "ui/converter/ImageList.h"
#include "ui/splash/frmSplash.h"

#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace pellimor;

class TestFrmSplash : public QObject {
    Q_OBJECT

private slots:
    void loadSetsPicturesAtNaturalSize_data();
    void loadSetsPicturesAtNaturalSize();
    void loadLeavesVegetablesHiddenUnderHourglass();
    void chainLinkShowsItsVegetable_data();
    void chainLinkShowsItsVegetable();
    void switchingOnAgainKeepsTheSchedule();
    void flashTogglesEveryVegetable_data();
    void flashTogglesEveryVegetable();
    void keyHandsOver_data();
    void keyHandsOver();
    void clickHandsOverOnlyOnBarePanel_data();
    void clickHandsOverOnlyOnBarePanel();
    void clockHandsOver();
    void unloadStopsEveryTimer();

private:
    static QStringList vegetables()
    {
        return {QStringLiteral("imgRadis"), QStringLiteral("imgTomate"),
                QStringLiteral("imgCarotte"), QStringLiteral("imgPoivron")};
    }
};

void TestFrmSplash::loadSetsPicturesAtNaturalSize_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("size");
    QTest::newRow("logo, larger than its control") << "imgLogo" << "logo" << QSize(100, 96);
    QTest::newRow("radish, taller than its control") << "imgRadis" << "Radis" << QSize(32, 32);
    QTest::newRow("tomato") << "imgTomate" << "Tomate" << QSize(32, 32);
    QTest::newRow("carrot") << "imgCarotte" << "Carotte" << QSize(32, 32);
    QTest::newRow("pepper") << "imgPoivron" << "Poivron" << QSize(32, 32);
}

void TestFrmSplash::loadSetsPicturesAtNaturalSize()
{
    QFETCH(QString, control);
    QFETCH(QString, key);
    QFETCH(QSize, size);
    frmSplash splash;
    auto* image = splash.findChild<QLabel*>(control);
    QVERIFY(image);
    QCOMPARE(image->pixmap().cacheKey(), ImageList::shared().picture(key).cacheKey());
    QCOMPARE(image->size(), size);
}

void TestFrmSplash::loadLeavesVegetablesHiddenUnderHourglass()
{
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    for (const QString& name : vegetables()) {
        auto* image = splash.findChild<QLabel*>(name);
        QVERIFY2(image && !image->isVisible(), qPrintable(name));
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
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QList<QTimer*> timers = splash.findChildren<QTimer*>();
    QHash<QString, bool> runningBefore;
    for (QTimer* timer : timers)
        runningBefore.insert(timer->objectName(), timer->isActive());

    QVERIFY(QMetaObject::invokeMethod(&splash, handler.constData()));

    for (const QString& name : vegetables())
        QCOMPARE(splash.findChild<QLabel*>(name)->isVisible(), name == shown);
    // The link switches on the next timer and leaves every other one as it was:
    // its own keeps ticking.
    for (QTimer* timer : timers) {
        const bool expected = timer->objectName() == switchedOn || runningBefore[timer->objectName()];
        QVERIFY2(timer->isActive() == expected, qPrintable(timer->objectName()));
    }
}

void TestFrmSplash::switchingOnAgainKeepsTheSchedule()
{
    frmSplash splash;
    auto* tomato = splash.findChild<QTimer*>(QStringLiteral("tmrTomate"));
    QVERIFY(tomato);
    splash.tmrRadis_Timer();
    QVERIFY(tomato->isActive());
    // Let some of the tomato's period run out, then tick the radish again: a restart
    // would put the full period back.
    QTRY_VERIFY_WITH_TIMEOUT(tomato->remainingTime() < frmSplash::ChainInterval - 40, 1000);
    const int remaining = tomato->remainingTime();
    splash.tmrRadis_Timer();
    QVERIFY2(tomato->remainingTime() <= remaining,
             qPrintable(QStringLiteral("%1 ms left after %2 ms").arg(tomato->remainingTime()).arg(remaining)));
}

void TestFrmSplash::flashTogglesEveryVegetable_data()
{
    QTest::addColumn<QList<bool>>("before");
    QTest::newRow("all hidden") << QList<bool>{false, false, false, false};
    QTest::newRow("all shown") << QList<bool>{true, true, true, true};
    QTest::newRow("mixed") << QList<bool>{true, false, false, true};
}

void TestFrmSplash::flashTogglesEveryVegetable()
{
    QFETCH(QList<bool>, before);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QStringList names = vegetables();
    for (int i = 0; i < names.size(); ++i)
        splash.findChild<QLabel*>(names[i])->setVisible(before[i]);

    splash.tmrFlash_Timer();
    for (int i = 0; i < names.size(); ++i)
        QVERIFY2(splash.findChild<QLabel*>(names[i])->isVisible() == !before[i], qPrintable(names[i]));
    splash.tmrFlash_Timer();
    for (int i = 0; i < names.size(); ++i)
        QVERIFY2(splash.findChild<QLabel*>(names[i])->isVisible() == before[i], qPrintable(names[i]));
}

void TestFrmSplash::keyHandsOver_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("letter") << int(Qt::Key_A) << true;
    QTest::newRow("digit") << int(Qt::Key_7) << true;
    QTest::newRow("space") << int(Qt::Key_Space) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true;
    QTest::newRow("Shift makes no character") << int(Qt::Key_Shift) << false;
    QTest::newRow("arrow makes no character") << int(Qt::Key_Left) << false;
    QTest::newRow("F1 makes no character") << int(Qt::Key_F1) << false;
}

void TestFrmSplash::keyHandsOver()
{
    QFETCH(int, key);
    QFETCH(bool, handsOver);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    QSignalSpy spy(&splash, &frmSplash::handOver);
    QTest::keyClick(&splash, Qt::Key(key));
    QCOMPARE(spy.count(), handsOver ? 1 : 0);
}

void TestFrmSplash::clickHandsOverOnlyOnBarePanel_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("vegetablesShown");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("bare panel") << "Frame1" << false << true;
    QTest::newRow("where a hidden vegetable stands") << "imgRadis" << false << true;
    QTest::newRow("a shown vegetable") << "imgRadis" << true << false;
    QTest::newRow("product name") << "Label1" << false << false;
    QTest::newRow("company and product") << "lblCompanyProduct" << false << false;
    QTest::newRow("version") << "lblVersion" << false << false;
    QTest::newRow("logo") << "imgLogo" << false << false;
    QTest::newRow("copyright") << "lblCopyright" << false << false;
    QTest::newRow("freeware notice") << "lblWarning" << false << false;
    QTest::newRow("window outside the panel") << "frmSplash" << false << false;
}

void TestFrmSplash::clickHandsOverOnlyOnBarePanel()
{
    QFETCH(QString, target);
    QFETCH(bool, vegetablesShown);
    QFETCH(bool, handsOver);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    auto* panel = splash.findChild<QFrame*>(QStringLiteral("Frame1"));
    QVERIFY(panel);
    if (vegetablesShown) {
        for (const QString& name : vegetables())
            splash.findChild<QLabel*>(name)->show();
    }
    QSignalSpy spy(&splash, &frmSplash::handOver);

    if (target == QLatin1String("Frame1")) {
        // Right of the vegetables, between the version and the copyright line.
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(433, 180));
    } else if (target == QLatin1String("frmSplash")) {
        // The strip left of the panel.
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

void TestFrmSplash::clockHandsOver()
{
    frmSplash splash;
    QSignalSpy spy(&splash, &frmSplash::handOver);
    splash.Timer1_Timer();
    QCOMPARE(spy.count(), 1);
}

void TestFrmSplash::unloadStopsEveryTimer()
{
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
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
