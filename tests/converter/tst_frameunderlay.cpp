#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <QtWidgets>
#include <QTest>

#include <functional>

using namespace pellimor;
using namespace pellimor::test;

namespace {

// Counts the paints a widget gets.
struct Paints : QObject {
    int count = 0;
    explicit Paints(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// What changes the look beneath the result line: the frame it sits in is at hand.
using Change = std::function<void(QGroupBox& frame)>;

QPalette darkPalette()
{
    QPalette dark(QColor(0x30, 0x30, 0x34), QColor(0x20, 0x20, 0x24));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    return dark;
}

} // namespace

Q_DECLARE_METATYPE(Change)

// A new result line repaints the line and nothing under it, and the screen then shows
// exactly what a paint of the whole window would: the frame around the line shows at
// its corners, in its look of the moment, even when that look changes just before the line.
class TestFrameUnderlay : public QObject {
    Q_OBJECT

private slots:
    void newLineOnScreen_data();
    void newLineOnScreen();
    void cleanup() { QApplication::setPalette(QPalette()); qApp->setStyleSheet({}); }
};

void TestFrameUnderlay::newLineOnScreen_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("frameSpared");
    QTest::newRow("nothing else") << Change([](QGroupBox&) {}) << true;
    QTest::newRow("dark palette") << Change([](QGroupBox&) { QApplication::setPalette(darkPalette()); })
                                  << false;
    QTest::newRow("frame's own palette")
        << Change([](QGroupBox& frame) {
               QPalette palette = frame.palette();
               palette.setColor(QPalette::Window, QColor(0x80, 0xC0, 0x80));
               frame.setPalette(palette);
               frame.setAutoFillBackground(true);
           })
        << false;
    QTest::newRow("window deactivated")
        << Change([](QGroupBox&) {
               // Qt's own inactive colours match the active ones; a desktop's may not.
               QPalette palette = QApplication::palette();
               palette.setColor(QPalette::Inactive, QPalette::Window, QColor(0xC0, 0xA0, 0xA0));
               QApplication::setPalette(palette);
               QApplication::processEvents();
               QApplication::setActiveWindow(nullptr);
           })
        << false;
    QTest::newRow("window grabbed") << Change([](QGroupBox& frame) { frame.window()->grab(); }) << true;
    QTest::newRow("style sheet")
        << Change([](QGroupBox&) { qApp->setStyleSheet("QGroupBox { background: #c8e0ff; }"); }) << false;
}

void TestFrameUnderlay::newLineOnScreen()
{
    QFETCH(Change, change);
    QFETCH(bool, frameSpared);

    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* category = window.findChild<QComboBox*>("cmbCategory");
    auto* quantity = window.findChild<QLineEdit*>("txtQuantity");
    auto* from = window.findChild<QListWidget*>("lstFrom");
    auto* to = window.findChild<QListWidget*>("lstTo");
    auto* result = window.findChild<QLineEdit*>("txtResult");
    auto* frame = window.findChild<QGroupBox*>("Frame4");
    QVERIFY(category && quantity && from && to && result && frame);

    category->setCurrentIndex(category->findText("Weights"));
    emit category->activated(category->currentIndex());
    quantity->setFocus();
    QTest::keyClicks(quantity, "2");
    const auto pick = [](QListWidget* list, int row) {
        const QRect item = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    };
    pick(from, 0);
    Paints linePaints(result), framePaints(frame);
    pick(to, 1);
    QTRY_VERIFY(linePaints.count > 0);
    QVERIFY(!result->text().isEmpty());
    QTest::qWait(20);

    // The look changes and the next line comes in the same turn, before any repaint.
    const QString before = result->text();
    change(*frame);
    linePaints.count = framePaints.count = 0;
    pick(to, 2);
    QVERIFY(result->text() != before);
    QTRY_VERIFY(linePaints.count > 0);
    QTest::qWait(20);
    if (frameSpared)
        QCOMPARE(framePaints.count, 0);

    const QRect spot(result->mapTo(&window, QPoint()), result->size());
    const QImage onScreen = window.screen()->grabWindow(window.winId()).toImage().copy(spot)
                                .convertToFormat(QImage::Format_RGB32);
    const QImage whole = window.grab(spot).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(onScreen.size(), whole.size());
    int apart = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            apart += onScreen.pixel(x, y) != whole.pixel(x, y);
    QCOMPARE(apart, 0);
    window.close();
}

QTEST_MAIN(TestFrameUnderlay)
#include "tst_frameunderlay.moc"
