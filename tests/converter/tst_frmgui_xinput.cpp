#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace pellimor;
using namespace pellimor::test;

namespace {

// Counts the mouse button releases a widget receives, so a step can wait until the X
// server's events for it have all arrived, whatever they changed.
class Releases : public QObject {
public:
    explicit Releases(QWidget* watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            ++count;
        return false;
    }
};

QString selectedText(const QListWidget* list)
{
    const auto items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

} // namespace

// Input as a person gives it: through the X server, by xdotool, with the pointer moving
// between a press and its release as a real one does. Qt's own synthetic events press
// and release on one spot and never pass through the server.
class TestFrmGuiXInput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void listsByTheServer();
    void wheelInTheBackground_data();
    void wheelInTheBackground();

private:
    // Runs xdotool with the words given; a number stands for itself. What it prints goes
    // to `output`, if given.
    void xdotool(const QStringList& words, QString* output = nullptr);
    QPoint at(QListWidget* list, const QString& unit) const;

    QString m_xdotool;
};

void TestFrmGuiXInput::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("needs an X server: ctest runs this on one of its own (tests/on_xvfb.sh) "
              "with QT_QPA_PLATFORM=xcb");
    m_xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (m_xdotool.isEmpty())
        QSKIP("xdotool is not installed (Debian package xdotool); make test installs it");
}

void TestFrmGuiXInput::xdotool(const QStringList& words, QString* output)
{
    // The window goes on handling what the server sends while xdotool runs, as it would
    // under a person's hand.
    QProcess run;
    run.start(m_xdotool, words);
    QTRY_VERIFY_WITH_TIMEOUT(run.state() == QProcess::NotRunning, 10000);
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             qPrintable(words.join(u' ') + QStringLiteral(": ") + run.readAllStandardError()));
    if (output)
        *output = QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed();
}

QPoint TestFrmGuiXInput::at(QListWidget* list, const QString& unit) const
{
    const auto found = list->findItems(unit, Qt::MatchExactly);
    return found.isEmpty() ? QPoint() : list->viewport()->mapToGlobal(list->visualItemRect(found.first()).center());
}

void TestFrmGuiXInput::listsByTheServer()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* cmbCategory = window.findChild<QComboBox*>("cmbCategory");
    auto* txtQuantity = window.findChild<QLineEdit*>("txtQuantity");
    auto* txtResult = window.findChild<QLineEdit*>("txtResult");
    auto* lstFrom = window.findChild<QListWidget*>("lstFrom");
    auto* lstTo = window.findChild<QListWidget*>("lstTo");
    const auto point = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    const auto move = [&](QPoint p) { return QStringList{"mousemove"} + point(p); };

    // Weights from the category box's list, and 2 typed into the quantity box.
    xdotool(move(cmbCategory->mapToGlobal(QPoint(cmbCategory->width() - 6, cmbCategory->height() / 2)))
            + QStringList{"click", "1"});
    QAbstractItemView* popup = cmbCategory->view();
    QTRY_VERIFY(popup->isVisible());
    const QModelIndex weights = popup->model()->index(cmbCategory->findText("Weights"), 0);
    QTRY_VERIFY(popup->visualRect(weights).isValid());
    xdotool(move(popup->viewport()->mapToGlobal(popup->visualRect(weights).center())) + QStringList{"click", "1"});
    QTRY_COMPARE(window.CurrentCategory, "Weights");
    QTRY_VERIFY(txtQuantity->hasFocus() && window.isActiveWindow());   // with its placeholder selected
    xdotool({"type", "--delay", "20", "2"});
    QTRY_COMPARE(txtQuantity->text(), "2");

    // Pressed on Gram, released on Pound, in each list.
    Releases fromReleases(lstFrom->viewport()), toReleases(lstTo->viewport());
    xdotool(move(at(lstFrom, "Gram")) + QStringList{"mousedown", "1"} + move(at(lstFrom, "Pound")) + QStringList{"mouseup", "1"});
    QTRY_COMPARE(fromReleases.count, 1);
    QCOMPARE(selectedText(lstFrom), "Pound");
    QVERIFY(lstTo->isEnabled());   // the From pick and the quantity opened the To list
    xdotool(move(at(lstTo, "Gram")) + QStringList{"mousedown", "1"} + move(at(lstTo, "Pound")) + QStringList{"mouseup", "1"});
    QTRY_COMPARE(toReleases.count, 1);
    QCOMPARE(selectedText(lstTo), "Pound");
    QCOMPARE(txtResult->text(), "2 Pounds = 2 Pounds");

    // A drag up the To list, entry by entry, from Pound to Kilogram.
    QStringList drag = move(at(lstTo, "Pound")) + QStringList{"mousedown", "1"};
    for (const char* unit : {"Ounce", "Milligram", "Kilogram"})
        drag += move(at(lstTo, unit));
    xdotool(drag + QStringList{"mouseup", "1"});
    QTRY_COMPARE(toReleases.count, 2);
    QCOMPARE(selectedText(lstTo), "Kilogram");
    QCOMPARE(txtResult->text(), "2 Pounds = 0.909 Kilogram");

    // Ctrl+click on the selected To entry keeps it; a right click on another changes nothing.
    xdotool(move(at(lstTo, "Kilogram")) + QStringList{"keydown", "ctrl", "click", "1", "keyup", "ctrl"});
    QTRY_COMPARE(toReleases.count, 3);
    xdotool(move(at(lstTo, "Ounce")) + QStringList{"click", "3"});
    QTRY_COMPARE(toReleases.count, 4);
    xdotool(move(at(lstFrom, "Gram")) + QStringList{"click", "2"});
    QTRY_COMPARE(fromReleases.count, 2);

    QCOMPARE(selectedText(lstFrom), "Pound");
    QCOMPARE(selectedText(lstTo), "Kilogram");
    QCOMPARE(txtResult->text(), "2 Pounds = 0.909 Kilogram");
    QCOMPARE(fakes.messages.shown.size(), 0);
    if (const QString shot = qEnvironmentVariable("PELLIMOR_SCREENSHOT"); !shot.isEmpty())
        QProcess::execute(QStringLiteral("import"), {"-window", "root", shot});
}

// The wheel picks a category over the window while another one has the keyboard, as it
// does under a pointer that rests on the window while the user types elsewhere. The pick
// readies the quantity box within the window, and the keyboard stays where it was.
void TestFrmGuiXInput::wheelInTheBackground_data()
{
    QTest::addColumn<QString>("before");   // the category picked before, if any
    QTest::addColumn<QString>("button");   // 4 turns the wheel up, 5 down
    QTest::addColumn<QString>("picked");
    QTest::newRow("first pick, down") << "" << "5" << "Lengths";
    QTest::newRow("later pick, up") << "Volumes" << "4" << "Temperatures";
}

void TestFrmGuiXInput::wheelInTheBackground()
{
    QFETCH(QString, before);
    QFETCH(QString, button);
    QFETCH(QString, picked);
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* cmbCategory = window.findChild<QComboBox*>("cmbCategory");
    auto* txtQuantity = window.findChild<QLineEdit*>("txtQuantity");
    if (!before.isEmpty()) {
        cmbCategory->setCurrentIndex(cmbCategory->findText(before));
        window.cmbCategory_Click();
        txtQuantity->setText(QStringLiteral("2"));
    }

    // Another program's window, clear of the converter's, takes the X server's focus.
    QWidget other;
    other.setGeometry(10, 10, 200, 100);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QVERIFY(!other.frameGeometry().intersects(window.frameGeometry()));
    const QString otherId = QString::number(other.winId());
    xdotool({"windowfocus", "--sync", otherId});
    QTRY_VERIFY_WITH_TIMEOUT(other.isActiveWindow(), 20000);
    QVERIFY(!window.isActiveWindow());

    const QPoint box = cmbCategory->mapToGlobal(cmbCategory->rect().center());
    xdotool({"mousemove", QString::number(box.x()), QString::number(box.y()), "click", button});
    QTRY_COMPARE_WITH_TIMEOUT(cmbCategory->currentText(), picked, 20000);
    QCOMPARE(window.CurrentCategory, picked);
    QCOMPARE(txtQuantity->text(), "(Enter a value)");
    QCOMPARE(window.focusWidget(), txtQuantity);
    // Whatever the window asked of the server has reached it before the server is asked.
    QGuiApplication::sync();
    QString focus;
    xdotool({"getwindowfocus", "-f"}, &focus);
    QCOMPARE(focus, otherId);
    QVERIFY(other.isActiveWindow() && !window.isActiveWindow());
}

QTEST_MAIN(TestFrmGuiXInput)
#include "tst_frmgui_xinput.moc"
