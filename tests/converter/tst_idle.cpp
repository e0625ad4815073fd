#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

using namespace pellimor;
using namespace pellimor::test;

// Left alone, the window must go quiet: once a result's flash is over no timer of its
// own may wake the program, except a guide pointer at a step the user still has to do.
class TestIdle : public QObject {
    Q_OBJECT

private slots:
    void timersOnceTheFlashHasEnded_data()
    {
        QTest::addColumn<QString>("journey");   // c category, f From, q quantity, x a bad one, t To
        QTest::addColumn<QStringList>("running");
        QTest::newRow("nothing done") << "" << QStringList{"tmrCategory"};
        QTest::newRow("converted") << "cfqt" << QStringList{};
        QTest::newRow("quantity first, converted again within the flash") << "cqftt" << QStringList{};
        QTest::newRow("rejected quantity") << "cfxt" << QStringList{"tmrQuantity"};
        QTest::newRow("rejected, then mended") << "cfxtqt" << QStringList{};
    }

    void timersOnceTheFlashHasEnded()
    {
        QFETCH(QString, journey);
        QFETCH(QStringList, running);
        FakeServices fakes;
        frmGUI window(fakes.services());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QChar step : journey) {   // by keyboard, as a user could
            if (step == 'c')
                QTest::keyClick(window.findChild<QComboBox*>("cmbCategory"), Qt::Key_Down);   // Lengths
            else if (step == 'f' || step == 't')
                QTest::keyClick(window.findChild<QListWidget*>(step == 'f' ? "lstFrom" : "lstTo"), Qt::Key_Down);
            else   // over the whole quantity, which the window selects after a pick or a rejection
                QTest::keyClicks(window.findChild<QLineEdit*>("txtQuantity"), step == 'q' ? "180" : "x");
        }
        QCOMPARE(fakes.messages.shown.size(), journey.count('x'));

        // The flash, or the empty one the window starts with, ends on the stop timer's tick.
        QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<QTimer*>("tmrStop")->isActive(), 3000);
        QStringList active;   // every timer of the window, by name
        for (const QTimer* timer : window.findChildren<QTimer*>())
            if (timer->isActive())
                active << timer->objectName();
        QCOMPARE(active, running);
    }
};

QTEST_MAIN(TestIdle)
#include "tst_idle.moc"
