#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

using namespace pellimor;
using namespace pellimor::test;

namespace {

// A user's journey through the window, as the steps they took.
enum Action { Category, From, Quantity, BadQuantity, To, ToAgain, TooHot, OtherCategory };

using Journey = QList<int>;

// The window's own timers that are running, by name: each one wakes the program on
// every tick, however idle the user is.
QStringList runningTimers(const frmGUI& window)
{
    QStringList running;
    for (const QTimer* timer : window.findChildren<QTimer*>()) {
        if (timer->isActive())
            running << timer->objectName();
    }
    running.sort();
    return running;
}

class Converter {
public:
    Converter()
        : window(fakes.services())
    {
    }
    ~Converter() { window.close(); }

    bool open()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        cmbCategory = window.findChild<QComboBox*>(QStringLiteral("cmbCategory"));
        txtQuantity = window.findChild<QLineEdit*>(QStringLiteral("txtQuantity"));
        lstFrom = window.findChild<QListWidget*>(QStringLiteral("lstFrom"));
        lstTo = window.findChild<QListWidget*>(QStringLiteral("lstTo"));
        tmrStop = window.findChild<QTimer*>(QStringLiteral("tmrStop"));
        return cmbCategory && txtQuantity && lstFrom && lstTo && tmrStop;
    }

    void pickCategory(const QString& category)
    {
        const int index = cmbCategory->findText(category);
        cmbCategory->setCurrentIndex(index);
        emit cmbCategory->activated(index);
    }

    void click(QListWidget* list, const QString& unit)
    {
        const QList<QListWidgetItem*> found = list->findItems(unit, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(unit));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.first()).center());
    }

    void type(const QString& keys)
    {
        txtQuantity->setFocus();
        QTest::keyClick(txtQuantity, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(txtQuantity, keys);
    }

    void take(int action)
    {
        switch (action) {
        case Category: pickCategory(QStringLiteral("Temperatures")); break;
        case OtherCategory: pickCategory(QStringLiteral("Weights")); break;
        case From: click(lstFrom, lstFrom->item(0)->text()); break;
        case Quantity: type(QStringLiteral("180")); break;
        case BadQuantity: type(QStringLiteral("x")); break;
        case TooHot: type(QStringLiteral("900")); break;
        case To:
        case ToAgain: click(lstTo, QStringLiteral("Gas Mark")); break;
        }
    }

    FakeServices fakes;
    frmGUI window;
    QComboBox* cmbCategory = nullptr;
    QLineEdit* txtQuantity = nullptr;
    QListWidget* lstFrom = nullptr;
    QListWidget* lstTo = nullptr;
    QTimer* tmrStop = nullptr;
};

} // namespace

// Left alone, the window must go quiet: once a result's flash is over no timer of its
// own may tick, except the guide pointers at steps the user still has to do.
class TestIdle : public QObject {
    Q_OBJECT

private slots:
    void timersOnceTheFlashHasEnded_data();
    void timersOnceTheFlashHasEnded();
};

void TestIdle::timersOnceTheFlashHasEnded_data()
{
    QTest::addColumn<Journey>("journey");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QStringList>("running");

    QTest::newRow("nothing done") << Journey{} << 0 << QStringList{"tmrCategory"};
    QTest::newRow("category") << Journey{Category} << 0
                              << QStringList{"tmrFrom", "tmrQuantity"};
    QTest::newRow("category, From") << Journey{Category, From} << 0
                                    << QStringList{"tmrQuantity"};
    QTest::newRow("category, quantity") << Journey{Category, Quantity} << 0
                                        << QStringList{"tmrFrom"};
    QTest::newRow("all but To") << Journey{Category, From, Quantity} << 0
                                << QStringList{"tmrTo"};
    QTest::newRow("converted") << Journey{Category, From, Quantity, To} << 0 << QStringList{};
    QTest::newRow("quantity last") << Journey{Category, Quantity, From, To} << 0
                                   << QStringList{};
    QTest::newRow("converted again within the flash")
        << Journey{Category, From, Quantity, To, ToAgain} << 0 << QStringList{};
    QTest::newRow("rejected quantity")
        << Journey{Category, From, BadQuantity, To} << 1 << QStringList{"tmrQuantity"};
    QTest::newRow("rejected, then mended")
        << Journey{Category, From, BadQuantity, To, Quantity, To} << 1 << QStringList{};
    QTest::newRow("too hot for a gas mark")
        << Journey{Category, From, TooHot, To} << 1 << QStringList{};
    QTest::newRow("converted, then another category")
        << Journey{Category, From, Quantity, To, OtherCategory} << 0
        << QStringList{"tmrFrom", "tmrQuantity"};
}

void TestIdle::timersOnceTheFlashHasEnded()
{
    QFETCH(Journey, journey);
    QFETCH(int, messages);
    QFETCH(QStringList, running);

    Converter c;
    QVERIFY(c.open());
    for (int action : journey) {
        c.take(action);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(int(c.fakes.messages.shown.size()), messages);

    // The flash, or the empty one the window starts with, ends on the stop timer's tick.
    QTRY_VERIFY_WITH_TIMEOUT(!c.tmrStop->isActive(), 3000);
    // Joined, so a failure names the timers.
    const QString separator = QStringLiteral(", ");
    QCOMPARE(runningTimers(c.window).join(separator), running.join(separator));
}

QTEST_MAIN(TestIdle)
#include "tst_idle.moc"
