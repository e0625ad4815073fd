#include "fakes/FakeServices.h"
#include "pellimor_version.h"
#include "ui/common/ImageList.h"
#include "ui/converter/frmGUI.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace pellimor;
using namespace pellimor::test;

namespace {

// The stored key whose very picture an image shows; empty for none, "?" for a stranger.
QString shownKey(const QLabel* image)
{
    if (image->pixmap().isNull())
        return {};
    for (const QString& key : ImageList::keys())
        if (ImageList::shared().picture(key).cacheKey() == image->pixmap().cacheKey())
            return key;
    return QStringLiteral("?");
}

template <typename T = QWidget>
T* control(const frmGUI& window, const char* name) { return window.findChild<T*>(QLatin1String(name)); }

// The geometry is in the parent (an empty size: an image with no picture yet); an image
// (point size 0) has the key of its picture at load as its text.
struct Control {
    const char* name; QRect geometry; bool enabled, hidden;
    const char* text; double pointSize; bool bold;
};

} // namespace

Q_DECLARE_METATYPE(Control)

class TestFrmGuiLayout : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void loadedWindow();
    void frameCycle_data();
    void frameCycle();
    void flash();
    void timers_data();
    void timers();
    void timersOnceTheFlashHasEnded_data();
    void timersOnceTheFlashHasEnded();
};

void TestFrmGuiLayout::controls_data()
{
    QTest::addColumn<Control>("c");
    const Control controls[] = {
        {"fraCategory", {16, 16, 209, 65}, true, false, "Category", 8.25, true},
        {"cmbCategory", {16, 24, 137, 21}, true, false, "(Select a category)", 8.25, false},
        {"imgCategory", {168, 16, 0, 0}, true, false, "", 0, false},
        {"fraQuantity", {16, 96, 209, 65}, true, false, "Quantity", 8.25, true},
        {"txtQuantity", {16, 24, 97, 19}, false, false, "", 8.25, false},
        {"fraFrom", {16, 176, 209, 201}, true, false, "Convert  From...", 8.25, true},
        {"Label1", {24, 32, 97, 17}, true, false, "Measuring Unit:", 8.25, false},
        {"lstFrom", {24, 48, 161, 134}, false, false, "", 8.25, false},
        {"fraTo", {288, 176, 209, 201}, true, false, "To...", 8.25, true},
        {"imgTo", {168, 16, 0, 0}, true, true, "", 0, false},
        {"Frame4", {16, 408, 481, 73}, true, false, " Result ", 8.25, true},
        {"txtResult", {16, 24, 449, 33}, true, false, "", 13.5, true},
        {"imgLogo", {336, 0, 100, 96}, true, false, "logo", 0, false},
        {"lblLearn", {312, 104, 161, 17}, true, false, "Learn to cook online!", 9.75, true},
        {"lblURL", {328, 128, 129, 17}, true, false, PELLIMOR_WEB_HOST, 8.25, true},
        // Radish and carrot stand on the result frame's top edge, tomato and pepper
        // hang one pixel into its bottom edge.
        {"imgRadis", {88, 376, 32, 32}, true, true, "Radis", 0, false},
        {"imgCarotte", {296, 376, 32, 32}, true, true, "Carotte", 0, false},
        {"imgTomate", {184, 480, 32, 32}, true, true, "Tomate", 0, false},
        {"imgPoivron", {424, 480, 32, 32}, true, true, "Poivron", 0, false},
    };
    for (const Control& c : controls)
        QTest::newRow(c.name) << c;
}

void TestFrmGuiLayout::controls()
{
    QFETCH(Control, c);
    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.findChildren<QWidget*>(c.name).size(), 1);
    QWidget* widget = control(window, c.name);
    QCOMPARE(widget->pos(), c.geometry.topLeft());
    if (!c.geometry.isEmpty())
        QCOMPARE(widget->size(), c.geometry.size());
    QCOMPARE(widget->isEnabled(), c.enabled);
    QCOMPARE(widget->isHidden(), c.hidden);
    const char* text = widget->inherits("QGroupBox") ? "title" : widget->inherits("QComboBox") ? "currentText" : "text";
    QCOMPARE(c.pointSize ? widget->property(text).toString() : shownKey(static_cast<QLabel*>(widget)), c.text);
    if (c.pointSize == 0)
        return;   // an image

    const QFont font = widget->font();
    // The named face where this machine has it, else only installed stand-ins: naming
    // a missing face first sends every new size through the system's slow fall-back.
    const QStringList installed = QFontDatabase::families();
    if (installed.contains("MS Sans Serif"))
        QCOMPARE(font.families().value(0), "MS Sans Serif");
    for (const QString& face : font.families())
        QVERIFY2(installed.contains(face), qPrintable(face));
    QCOMPARE_EQ(font.pointSizeF(), c.pointSize);
    QCOMPARE(QFontInfo(font).bold(), c.bold);   // as a stand-in face shows it
}

void TestFrmGuiLayout::loadedWindow()
{
    // Fields not usable yet, and the result, take the theme's window colour, and follow a
    // theme change made while the window is open; the category box stays white.
    const QPalette original = QApplication::palette();
    QPalette themed = original;
    themed.setColor(QPalette::Window, QColor(12, 34, 56));
    QApplication::setPalette(themed);
    FakeServices fakes;
    frmGUI window(fakes.services());
    for (const QColor colour : {QColor(12, 34, 56), QColor(65, 43, 21)}) {
        themed.setColor(QPalette::Window, colour);
        QApplication::setPalette(themed);
        for (const char* name : {"txtQuantity", "lstFrom", "lstTo", "txtResult"})
            QTRY_COMPARE(control(window, name)->palette().color(QPalette::Base), colour);
    }
    QCOMPARE(control(window, "cmbCategory")->palette().color(QPalette::Base), QColor(Qt::white));
    QApplication::setPalette(original);

    QCOMPARE(control<QComboBox>(window, "cmbCategory")->currentIndex(), -1);
    QStringList menus;   // captions with their access keys, each menu followed by its item
    for (const QAction* menu : window.menuBar()->actions()) {
        menus << menu->menu()->objectName() + '=' + menu->text();
        for (const QAction* item : menu->menu()->actions())
            menus << item->objectName() + '=' + item->text();
    }
    QCOMPARE(menus, (QStringList{"mnuFile=&File", "mnuExit=E&xit", "mnuOptions=&Options",
                                 "mnuGoToURL=&Go to Brenvo's Web Site", "mnuHelp=&Help", "mnuAbout=&About..."}));

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.centralWidget()->size(), QSize(514, 516));
    const QPoint offCentre = window.frameGeometry().center() - window.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));

    // Tab skips the fields not usable yet, both ways.
    control(window, "cmbCategory")->setFocus(Qt::TabFocusReason);
    for (const auto& [key, next] : {std::pair{Qt::Key_Tab, "txtResult"}, {Qt::Key_Tab, "cmbCategory"},
                                    {Qt::Key_Backtab, "txtResult"}}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), next);
    }

    // The window may be made smaller than its design: what falls outside is cut off.
    const QSize smaller = window.size() - QSize(214, 300);
    window.resize(smaller);
    QTRY_COMPARE(window.size(), smaller);
}

void TestFrmGuiLayout::frameCycle_data()
{
    QTest::addColumn<QString>("step");        // the stem of the image's and the timer's names
    QTest::addColumn<QString>("start");       // the picture shown first, if any
    QTest::addColumn<QStringList>("frames");  // after each tick

    QTest::newRow("radish turns") << "Category" << "" << QStringList{"Radis1", "Radis2", "Radis3", "Radis4", "Radis1"};
    QTest::newRow("carrot rocks") << "Quantity" << "" << QStringList{"Carotte1", "Carotte2", "Carotte1"};
    QTest::newRow("pepper turns") << "To" << ""
                                  << QStringList{"Poivron1", "Poivron2", "Poivron3", "Poivron4", "Poivron1"};
    // Any picture not of the pointer's own cycle starts it again at frame 1.
    QTest::newRow("tomato on its own icon")
        << "From" << "Tomate" << QStringList{"Tomate1", "Tomate2", "Tomate3", "Tomate4", "Tomate1"};
    QTest::newRow("radish on the carrot's frame 2") << "Category" << "Carotte2" << QStringList{"Radis1"};
}

void TestFrmGuiLayout::frameCycle()
{
    QFETCH(QString, step);
    QFETCH(QString, start);
    QFETCH(QStringList, frames);
    FakeServices fakes;
    frmGUI window(fakes.services());
    auto* pointer = window.findChild<QLabel*>("img" + step);
    if (!start.isEmpty())
        pointer->setPixmap(ImageList::shared().picture(start));
    const bool hidden = pointer->isHidden();
    for (const QString& frame : frames) {
        QVERIFY(QMetaObject::invokeMethod(&window, qPrintable("tmr" + step + "_Timer")));
        QCOMPARE(shownKey(pointer), frame);
        QCOMPARE(pointer->size(), ImageList::shared().picture(frame).deviceIndependentSize().toSize());
        QCOMPARE(pointer->isHidden(), hidden);   // ticking never shows or hides
    }
}

void TestFrmGuiLayout::flash()
{
    FakeServices fakes;
    frmGUI window(fakes.services());   // never shown: the blink goes by isHidden, not isVisible
    window.DisplayVeggies();
    const char* flashImages[] = {"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"};
    for (const bool shown : {false, true, false}) {   // before each blink
        for (const char* name : flashImages) {
            QCOMPARE(control(window, name)->isHidden(), !shown);
            QCOMPARE(shownKey(control<QLabel>(window, name)), QString(name).mid(3));   // they blink, not change
        }
        window.tmrResult_Timer();
    }
    window.tmrStop_Timer();
    for (const char* name : flashImages)
        QVERIFY2(control(window, name)->isHidden(), name);
    // No timer of the window may fire before its time, as the toolkit's default ones may.
    for (const QTimer* timer : window.findChildren<QTimer*>())
        QVERIFY2(timer->timerType() == Qt::PreciseTimer, qPrintable(timer->objectName()));
}

void TestFrmGuiLayout::timers_data()
{
    // Every timer of the window: how often it ticks, in milliseconds, and whether it runs
    // from the start.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("running");
    QTest::newRow("category pointer") << "tmrCategory" << 200 << true;
    QTest::newRow("quantity pointer") << "tmrQuantity" << 200 << false;
    QTest::newRow("From pointer") << "tmrFrom" << 200 << false;
    QTest::newRow("To pointer") << "tmrTo" << 200 << false;
    QTest::newRow("blink") << "tmrResult" << 50 << false;
    QTest::newRow("end of the flash") << "tmrStop" << 1000 << true;
}

void TestFrmGuiLayout::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, running);
    FakeServices fakes;
    frmGUI window(fakes.services());
    const QTimer* timer = window.findChild<QTimer*>(name);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), interval);
    QCOMPARE(timer->isActive(), running);
}

void TestFrmGuiLayout::timersOnceTheFlashHasEnded_data()
{
    // Left alone, the window must go quiet: once a result's flash is over no timer of its
    // own may wake the program, except a guide pointer at a step the user still has to do.
    QTest::addColumn<QString>("journey");   // c category, f From, q quantity, x a bad one, t To
    QTest::addColumn<QStringList>("running");
    QTest::newRow("nothing done") << "" << QStringList{"tmrCategory"};
    QTest::newRow("converted") << "cfqt" << QStringList{};
    QTest::newRow("quantity first, converted again within the flash") << "cqftt" << QStringList{};
    QTest::newRow("rejected quantity") << "cfxt" << QStringList{"tmrQuantity"};
    QTest::newRow("rejected, then mended") << "cfxtqt" << QStringList{};
}

void TestFrmGuiLayout::timersOnceTheFlashHasEnded()
{
    QFETCH(QString, journey);
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QChar step : journey) {   // by keyboard, as a user could
        if (step == 'c')
            QTest::keyClick(control(window, "cmbCategory"), Qt::Key_Down);   // Lengths
        else if (step == 'f' || step == 't')
            QTest::keyClick(control(window, step == 'f' ? "lstFrom" : "lstTo"), Qt::Key_Down);
        else   // over the whole quantity, which the window selects after a pick or a rejection
            QTest::keyClicks(control(window, "txtQuantity"), step == 'q' ? "180" : "x");
    }
    QCOMPARE(fakes.messages.shown.size(), journey.count('x'));
    // The flash, or the empty one the window starts with, ends on the stop timer's tick.
    QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<QTimer*>("tmrStop")->isActive(), 3000);
    QStringList active;
    for (const QTimer* timer : window.findChildren<QTimer*>())
        if (timer->isActive())
            active << timer->objectName();
    QTEST(active, "running");
}

QTEST_MAIN(TestFrmGuiLayout)
#include "tst_frmgui_layout.moc"
