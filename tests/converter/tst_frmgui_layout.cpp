#include "fakes/FakeServices.h"
#include "pellimor_version.h"
#include "ui/converter/ImageList.h"
#include "ui/converter/frmGUI.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace pellimor;
using namespace pellimor::test;

using Step = frmGUI::Step;

namespace {

// Every control the window draws, by the name tests find it with.
const QStringList drawnControls{
    "fraCategory", "cmbCategory", "imgCategory", "fraQuantity", "txtQuantity", "imgQuantity",
    "fraFrom",     "Label1",      "lstFrom",     "imgFrom",     "fraTo",       "Label4",
    "lstTo",       "imgTo",       "Frame4",      "txtResult",   "imgLogo",     "lblLearn",
    "lblURL",      "imgRadis",    "imgCarotte",  "imgTomate",   "imgPoivron",
};

const QStringList flashImages{"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"};

const QPixmap& picture(const QString& key)
{
    return ImageList::shared().picture(key);
}

// The key of the stored picture an image control holds, by identity; empty for none
// and "?" for a picture that is not one of the store's.
QString shownKey(const QLabel* image)
{
    const QPixmap shown = image->pixmap();
    if (shown.isNull())
        return {};
    for (const QString& key : ImageList::keys())
        if (picture(key).cacheKey() == shown.cacheKey())
            return key;
    return QStringLiteral("?");
}

template <typename T = QWidget>
T* control(const frmGUI& window, const QString& name)
{
    return window.findChild<T*>(name);
}

QLabel* image(const frmGUI& window, const QString& name)
{
    return control<QLabel>(window, name);
}

QTimer* timer(const frmGUI& window, const QString& name)
{
    return window.findChild<QTimer*>(name);
}

struct StepParts {
    const char* image;
    const char* timer;
    const char* tick;
};

StepParts partsOf(Step step)
{
    switch (step) {
    case Step::Category: return {"imgCategory", "tmrCategory", "tmrCategory_Timer"};
    case Step::Quantity: return {"imgQuantity", "tmrQuantity", "tmrQuantity_Timer"};
    case Step::FromUnit: return {"imgFrom", "tmrFrom", "tmrFrom_Timer"};
    case Step::ToUnit: break;
    }
    return {"imgTo", "tmrTo", "tmrTo_Timer"};
}

void tick(frmGUI& window, const char* handler)
{
    QVERIFY(QMetaObject::invokeMethod(&window, handler, Qt::DirectConnection));
}

QImage comparable(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaqueColourCount(const QImage& picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) == 255)
                colours.insert(argb.pixel(x, y));
    return int(colours.size());
}

bool isKind(const QWidget* widget, const QString& kind)
{
    if (kind == "frame")
        return qobject_cast<const QGroupBox*>(widget);
    if (kind == "combo") {
        auto* combo = qobject_cast<const QComboBox*>(widget);
        return combo && combo->isEditable();
    }
    if (kind == "text")
        return qobject_cast<const QLineEdit*>(widget);
    if (kind == "list")
        return qobject_cast<const QListWidget*>(widget);
    if (kind == "label" || kind == "image")
        return qobject_cast<const QLabel*>(widget);
    return false;
}

QString textOf(const QWidget* widget)
{
    if (auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* list = qobject_cast<const QListWidget*>(widget)) {
        QStringList items;
        for (int row = 0; row < list->count(); ++row)
            items << list->item(row)->text();
        return items.join('|');
    }
    return QStringLiteral("<no text>");
}

// Where each drawn control stands in window coordinates.
QMap<QString, QRect> placesInWindow(const frmGUI& window)
{
    QMap<QString, QRect> places;
    for (const QString& name : drawnControls) {
        const QWidget* widget = control(window, name);
        places.insert(name, QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size()));
    }
    return places;
}

} // namespace

class TestFrmGuiLayout : public QObject {
    Q_OBJECT

private slots:
    void controlsAreUniquelyNamed();
    void controls_data();
    void controls();
    void texts_data();
    void texts();
    void categoryList();
    void fonts_data();
    void fonts();
    void colours_data();
    void colours();
    void systemColoursFollowTheTheme();
    void clientArea();
    void placedInTheCentreWhenFirstShown();
    void menus_data();
    void menus();
    void focusChain();
    void tabFromCategorySkipsDisabledFields();
    void timers_data();
    void timers();

    void pictures_data();
    void pictures();
    void everyKeyHasItsOwnPicture();
    void oneStoreForEveryWindow();
    void storedOrder();
    void unknownKey_data();
    void unknownKey();

    void formLoad();
    void windowIconIsTheRadish();

    void frameCycle_data();
    void frameCycle();
    void restingPointerMovesOnToFrame2_data();
    void restingPointerMovesOnToFrame2();
    void foreignPictureFallsBackToFrame1_data();
    void foreignPictureFallsBackToFrame1();
    void startStepPointer_data();
    void startStepPointer();
    void startingARunningPointerKeepsItsSchedule_data();
    void startingARunningPointerKeepsItsSchedule();
    void restStepPointer_data();
    void restStepPointer();
    void hideStepPointer_data();
    void hideStepPointer();
    void displayVeggies();
    void blink_data();
    void blink();
    void endOfFlash_data();
    void endOfFlash();
    void stopVeggieFlashLeavesTheStopTimer();
    void radishTurnsAfterLoad();

    void growingTheWindowMovesNothing();
    void shrinkingTheWindowMovesNothing();
};

// ---- Layout -----------------------------------------------------------------------

void TestFrmGuiLayout::controlsAreUniquelyNamed()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    for (const QString& name : drawnControls)
        QVERIFY2(window.findChildren<QWidget*>(name).size() == 1, qPrintable(name));
}

void TestFrmGuiLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");   // empty: the window's client area
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size");       // invalid: an image with no picture yet
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hidden");

    auto row = [](const char* name, const char* kind, const char* parent, QPoint position,
                  QSize size, bool enabled, bool hidden) {
        QTest::newRow(name) << QString(name) << QString(kind) << QString(parent) << position
                            << size << enabled << hidden;
    };
    row("fraCategory", "frame", "", {16, 16}, {209, 65}, true, false);
    row("cmbCategory", "combo", "fraCategory", {16, 24}, {137, 21}, true, false);
    row("imgCategory", "image", "fraCategory", {168, 16}, {}, true, false);
    row("fraQuantity", "frame", "", {16, 96}, {209, 65}, true, false);
    row("txtQuantity", "text", "fraQuantity", {16, 24}, {97, 19}, false, false);
    row("imgQuantity", "image", "fraQuantity", {168, 16}, {}, true, true);
    row("fraFrom", "frame", "", {16, 176}, {209, 201}, true, false);
    row("Label1", "label", "fraFrom", {24, 32}, {97, 17}, true, false);
    row("lstFrom", "list", "fraFrom", {24, 48}, {161, 134}, false, false);
    row("imgFrom", "image", "fraFrom", {168, 16}, {}, true, true);
    row("fraTo", "frame", "", {288, 176}, {209, 201}, true, false);
    row("Label4", "label", "fraTo", {24, 32}, {97, 17}, true, false);
    row("lstTo", "list", "fraTo", {24, 48}, {161, 134}, false, false);
    row("imgTo", "image", "fraTo", {168, 16}, {}, true, true);
    row("Frame4", "frame", "", {16, 408}, {481, 73}, true, false);
    row("txtResult", "text", "Frame4", {16, 24}, {449, 33}, true, false);
    row("imgLogo", "image", "", {336, 0}, {100, 96}, true, false);
    row("lblLearn", "label", "", {312, 104}, {161, 17}, true, false);
    row("lblURL", "label", "", {328, 128}, {129, 17}, true, false);
    // Radish and carrot stand on the result frame's top edge, tomato and pepper hang
    // one pixel into its bottom edge.
    row("imgRadis", "image", "", {88, 376}, {32, 32}, true, true);
    row("imgCarotte", "image", "", {296, 376}, {32, 32}, true, true);
    row("imgTomate", "image", "", {184, 480}, {32, 32}, true, true);
    row("imgPoivron", "image", "", {424, 480}, {32, 32}, true, true);
}

void TestFrmGuiLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    QFETCH(bool, enabled);
    QFETCH(bool, hidden);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QWidget* widget = control(window, name);
    QVERIFY(widget);
    QVERIFY2(isKind(widget, kind), widget->metaObject()->className());
    if (parent.isEmpty())
        QCOMPARE(widget->parentWidget(), window.centralWidget());
    else
        QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->pos(), position);
    if (size.isValid())
        QCOMPARE(widget->size(), size);
    QCOMPARE(widget->isEnabled(), enabled);
    QCOMPARE(widget->isHidden(), hidden);
    if (kind == "image") {
        // Pictures show at their own size: a stretching control would distort them.
        QVERIFY(!static_cast<QLabel*>(widget)->hasScaledContents());
    }
}

void TestFrmGuiLayout::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("category frame") << "fraCategory" << "Category";
    QTest::newRow("category box") << "cmbCategory" << "(Select a category)";
    QTest::newRow("quantity frame") << "fraQuantity" << "Quantity";
    QTest::newRow("quantity box, empty") << "txtQuantity" << "";
    QTest::newRow("from frame, two spaces") << "fraFrom" << "Convert  From...";
    QTest::newRow("from caption") << "Label1" << "Measuring Unit:";
    QTest::newRow("from list, empty") << "lstFrom" << "";
    QTest::newRow("to frame") << "fraTo" << "To...";
    QTest::newRow("to caption") << "Label4" << "Measuring Unit:";
    QTest::newRow("to list, empty") << "lstTo" << "";
    QTest::newRow("result frame, spaces around") << "Frame4" << " Result ";
    QTest::newRow("result box, empty") << "txtResult" << "";
    QTest::newRow("learn link") << "lblLearn" << "Learn to cook online!";
    QTest::newRow("site link, the host name") << "lblURL" << PELLIMOR_WEB_HOST;
}

void TestFrmGuiLayout::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QWidget* widget = control(window, name);
    QVERIFY(widget);
    QCOMPARE(textOf(widget), text);
}

void TestFrmGuiLayout::categoryList()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    auto* cmbCategory = control<QComboBox>(window, "cmbCategory");
    QVERIFY(cmbCategory);
    QStringList items;
    for (int row = 0; row < cmbCategory->count(); ++row)
        items << cmbCategory->itemText(row);
    QCOMPARE(items, (QStringList{"Lengths", "Temperatures", "Volumes", "Weights"}));
    QCOMPARE(cmbCategory->currentIndex(), -1);

    auto* txtResult = control<QLineEdit>(window, "txtResult");
    QVERIFY(txtResult->isReadOnly());
    auto* lblLearn = control<QLabel>(window, "lblLearn");
    QCOMPARE(lblLearn->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

void TestFrmGuiLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");

    QTest::newRow("fraCategory") << "fraCategory" << 8.25 << true << false;
    QTest::newRow("cmbCategory") << "cmbCategory" << 8.25 << false << false;
    QTest::newRow("fraQuantity") << "fraQuantity" << 8.25 << true << false;
    QTest::newRow("txtQuantity") << "txtQuantity" << 8.25 << false << false;
    QTest::newRow("fraFrom") << "fraFrom" << 8.25 << true << false;
    QTest::newRow("Label1") << "Label1" << 8.25 << false << false;
    QTest::newRow("lstFrom") << "lstFrom" << 8.25 << false << false;
    QTest::newRow("fraTo") << "fraTo" << 8.25 << true << false;
    QTest::newRow("Label4") << "Label4" << 8.25 << false << false;
    QTest::newRow("lstTo") << "lstTo" << 8.25 << false << false;
    QTest::newRow("Frame4") << "Frame4" << 8.25 << true << false;
    QTest::newRow("txtResult") << "txtResult" << 13.5 << true << false;
    QTest::newRow("lblLearn") << "lblLearn" << 9.75 << true << false;
    QTest::newRow("lblURL") << "lblURL" << 8.25 << true << true;
}

void TestFrmGuiLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, underline);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QWidget* widget = control(window, name);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.families().value(0), "MS Sans Serif");
    QCOMPARE_EQ(font.pointSizeF(), pointSize);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.underline(), underline);
    QVERIFY(!font.italic());
    // Where the face is missing, what stands in keeps the weight.
    QCOMPARE(QFontInfo(font).bold(), bold);
}

void TestFrmGuiLayout::colours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPalette::ColorRole>("role");
    QTest::addColumn<QColor>("colour");   // invalid: the palette's window colour

    const QColor menuBackground;
    QTest::newRow("result text, dark blue") << "txtResult" << QPalette::Text << QColor(0, 0, 192);
    QTest::newRow("learn link, dark red") << "lblLearn" << QPalette::WindowText << QColor(192, 0, 0);
    QTest::newRow("site link, blue") << "lblURL" << QPalette::WindowText << QColor(0, 0, 255);
    QTest::newRow("category box, white") << "cmbCategory" << QPalette::Base << QColor(Qt::white);
    QTest::newRow("quantity box, unusable") << "txtQuantity" << QPalette::Base << menuBackground;
    QTest::newRow("from list, unusable") << "lstFrom" << QPalette::Base << menuBackground;
    QTest::newRow("to list, unusable") << "lstTo" << QPalette::Base << menuBackground;
    QTest::newRow("result box, read-only") << "txtResult" << QPalette::Base << menuBackground;
}

void TestFrmGuiLayout::colours()
{
    QFETCH(QString, name);
    QFETCH(QPalette::ColorRole, role);
    QFETCH(QColor, colour);

    const QPalette system = QApplication::palette();
    // Otherwise an unusable field could not be told from a usable one.
    QVERIFY(system.color(QPalette::Window) != system.color(QPalette::Base));
    if (!colour.isValid())
        colour = system.color(QPalette::Window);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QWidget* widget = control(window, name);
    QVERIFY(widget);
    // As the field is now (disabled or not), and as it looks in an inactive window.
    QCOMPARE(widget->palette().color(role), colour);
    QCOMPARE(widget->palette().color(QPalette::Inactive, role), colour);
}

void TestFrmGuiLayout::systemColoursFollowTheTheme()
{
    const QPalette original = QApplication::palette();
    QPalette themed = original;
    themed.setColor(QPalette::Window, QColor(12, 34, 56));
    themed.setColor(QPalette::Base, QColor(210, 220, 230));
    QApplication::setPalette(themed);
    {
        FakeServices fakes;
        frmGUI window(fakes.services());
        for (const char* name : {"txtQuantity", "lstFrom", "lstTo", "txtResult"})
            QCOMPARE(control(window, name)->palette().color(QPalette::Base), QColor(12, 34, 56));
        // A fixed colour stays what it is.
        QCOMPARE(control(window, "cmbCategory")->palette().color(QPalette::Base),
                 QColor(Qt::white));
    }
    QApplication::setPalette(original);
}

void TestFrmGuiLayout::clientArea()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.windowTitle(), "Pellimor");
    QVERIFY(window.centralWidget());
    QCOMPARE(window.centralWidget()->size(), QSize(514, 516));
    // Absolute positions only: nothing inside is laid out again.
    QVERIFY(!window.centralWidget()->layout());
    for (const char* frame : {"fraCategory", "fraQuantity", "fraFrom", "fraTo", "Frame4"})
        QVERIFY2(!control(window, frame)->layout(), frame);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.centralWidget()->size(), QSize(514, 516));
    // The client area sits right under the menu bar, the window no wider than it.
    QCOMPARE(window.centralWidget()->mapTo(&window, QPoint(0, 0)),
             QPoint(0, window.menuBar()->height()));
    QCOMPARE(window.width(), 514);
    QCOMPARE(window.height(), window.menuBar()->height() + 516);
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(!(flags & Qt::MSWindowsFixedSizeDialogHint));
}

void TestFrmGuiLayout::placedInTheCentreWhenFirstShown()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    const QPoint centre = window.frameGeometry().center();
    QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
             qPrintable(QString("window centre %1,%2, screen centre %3,%4")
                            .arg(centre.x()).arg(centre.y())
                            .arg(screenCentre.x()).arg(screenCentre.y())));
}

void TestFrmGuiLayout::menus_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("itemCaption");

    QTest::newRow("file") << 0 << "mnuFile" << "&File" << "mnuExit" << "E&xit";
    QTest::newRow("options") << 1 << "mnuOptions" << "&Options" << "mnuGoToURL"
                             << "&Go to Brenvo's Web Site";
    QTest::newRow("help") << 2 << "mnuHelp" << "&Help" << "mnuAbout" << "&About...";
}

void TestFrmGuiLayout::menus()
{
    QFETCH(int, index);
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QString, item);
    QFETCH(QString, itemCaption);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const QList<QAction*> bar = window.menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QMenu* opened = bar.at(index)->menu();
    QVERIFY(opened);
    QCOMPARE(opened->objectName(), menu);
    QCOMPARE(bar.at(index)->text(), caption);
    QCOMPARE(opened->title(), caption);
    QCOMPARE(opened->actions().size(), 1);
    QAction* action = opened->actions().first();
    QCOMPARE(action->objectName(), item);
    QCOMPARE(action->text(), itemCaption);
    QVERIFY(action->isEnabled());
    QVERIFY(action->isVisible());
    QVERIFY(!action->menu());
}

void TestFrmGuiLayout::focusChain()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    QWidget* start = control(window, "cmbCategory");
    QVERIFY(start);

    // Every widget that takes focus by tabbing, in chain order, once round.
    QStringList order{start->objectName()};
    for (QWidget* next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain()) {
        if (next->focusProxy() || !(next->focusPolicy() & Qt::TabFocus))
            continue;
        if (!window.isAncestorOf(next))
            continue;
        order << next->objectName();
    }
    QCOMPARE(order, (QStringList{"cmbCategory", "txtQuantity", "lstFrom", "lstTo", "txtResult"}));
}

void TestFrmGuiLayout::tabFromCategorySkipsDisabledFields()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget* cmbCategory = control(window, "cmbCategory");
    QWidget* txtResult = control(window, "txtResult");
    cmbCategory->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), cmbCategory);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), txtResult);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), cmbCategory);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), txtResult);
}

void TestFrmGuiLayout::timers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("active");

    QTest::newRow("tmrCategory") << "tmrCategory" << 200 << true;
    QTest::newRow("tmrQuantity") << "tmrQuantity" << 200 << false;
    QTest::newRow("tmrFrom") << "tmrFrom" << 200 << false;
    QTest::newRow("tmrTo") << "tmrTo" << 200 << false;
    QTest::newRow("tmrResult") << "tmrResult" << 50 << false;
    QTest::newRow("tmrStop") << "tmrStop" << 1000 << true;
}

void TestFrmGuiLayout::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, active);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.findChildren<QTimer*>(name).size(), 1);
    QTimer* found = timer(window, name);
    QCOMPARE(found->parent(), &window);
    QCOMPARE(found->interval(), interval);
    QCOMPARE(found->isActive(), active);
}

// ---- Picture store ----------------------------------------------------------------

void TestFrmGuiLayout::pictures_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("maxColours");   // icons only: a GIF has 256 at most anyway

    QTest::newRow("Hand") << "Hand" << QSize(32, 32) << QByteArray("ico") << 16;
    QTest::newRow("logo") << "logo" << QSize(100, 96) << QByteArray("gif") << 0;
    QTest::newRow("Poivron1") << "Poivron1" << QSize(27, 28) << QByteArray("gif") << 0;
    QTest::newRow("Poivron2") << "Poivron2" << QSize(28, 27) << QByteArray("gif") << 0;
    QTest::newRow("Poivron3") << "Poivron3" << QSize(27, 28) << QByteArray("gif") << 0;
    QTest::newRow("Poivron4") << "Poivron4" << QSize(28, 27) << QByteArray("gif") << 0;
    QTest::newRow("Tomate1") << "Tomate1" << QSize(24, 21) << QByteArray("gif") << 0;
    QTest::newRow("Tomate2") << "Tomate2" << QSize(21, 24) << QByteArray("gif") << 0;
    QTest::newRow("Tomate3") << "Tomate3" << QSize(24, 21) << QByteArray("gif") << 0;
    QTest::newRow("Tomate4") << "Tomate4" << QSize(21, 24) << QByteArray("gif") << 0;
    QTest::newRow("Carotte1") << "Carotte1" << QSize(35, 28) << QByteArray("gif") << 0;
    QTest::newRow("Carotte2") << "Carotte2" << QSize(35, 28) << QByteArray("gif") << 0;
    QTest::newRow("Radis3") << "Radis3" << QSize(30, 28) << QByteArray("gif") << 0;
    QTest::newRow("Radis4") << "Radis4" << QSize(28, 30) << QByteArray("gif") << 0;
    QTest::newRow("Radis1") << "Radis1" << QSize(28, 30) << QByteArray("gif") << 0;
    QTest::newRow("Radis2") << "Radis2" << QSize(28, 30) << QByteArray("gif") << 0;
    QTest::newRow("Radis") << "Radis" << QSize(32, 32) << QByteArray("ico") << 256;
    QTest::newRow("Carotte") << "Carotte" << QSize(32, 32) << QByteArray("ico") << 256;
    QTest::newRow("Poivron") << "Poivron" << QSize(32, 32) << QByteArray("ico") << 256;
    QTest::newRow("Tomate") << "Tomate" << QSize(32, 32) << QByteArray("ico") << 256;
}

void TestFrmGuiLayout::pictures()
{
    QFETCH(QString, key);
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QFETCH(int, maxColours);

    ImageList& store = ImageList::shared();
    QVERIFY(store.contains(key));
    const QPixmap& shown = store.picture(key);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.deviceIndependentSize().toSize(), size);
    QCOMPARE(&store.picture(key), &shown);
    QCOMPARE(store.picture(key).cacheKey(), shown.cacheKey());

    // The compiled-in file really is of its kind, not merely named so.
    const QString path = QStringLiteral(":/pictures/%1.%2").arg(key, QString::fromLatin1(format));
    QCOMPARE(ImageList::path(key), path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), format);
    const QImage read = reader.read();
    QCOMPARE(read.size(), size);
    if (maxColours > 0) {
        const int colours = opaqueColourCount(read);
        QVERIFY2(colours <= maxColours, qPrintable(QString("%1 colours").arg(colours)));
    }
    if (format == "gif") {
        QVERIFY(read.hasAlphaChannel());
        // The corners are background: transparent, so the window shows through.
        QCOMPARE(qAlpha(read.pixel(0, 0)), 0);
    }

    // The HiDPI twin: same kind, twice the pixels.
    const QString twin = QStringLiteral(":/pictures/%1@2x.%2").arg(key, QString::fromLatin1(format));
    QImageReader twinReader(twin);
    twinReader.setDecideFormatFromContent(true);
    QCOMPARE(twinReader.format(), format);
    QCOMPARE(twinReader.size(), size * 2);
}

void TestFrmGuiLayout::everyKeyHasItsOwnPicture()
{
    // Frames are told apart by identity; two keys sharing one picture would stall a cycle.
    QSet<qint64> seen;
    for (const QString& key : ImageList::keys()) {
        const qint64 cacheKey = picture(key).cacheKey();
        QVERIFY2(!seen.contains(cacheKey), qPrintable(key));
        seen.insert(cacheKey);
    }
    QCOMPARE(seen.size(), 20);
}

void TestFrmGuiLayout::oneStoreForEveryWindow()
{
    FakeServices fakes;
    auto first = std::make_unique<frmGUI>(fakes.services());
    QMap<QString, qint64> handedOut;
    for (const QString& key : ImageList::keys())
        handedOut.insert(key, first->ImageList1.picture(key).cacheKey());
    QCOMPARE(&first->ImageList1, &ImageList::shared());
    auto* firstLogo = &first->ImageList1.picture("logo");

    frmGUI second(fakes.services());
    QCOMPARE(&second.ImageList1, &first->ImageList1);
    for (const QString& key : ImageList::keys())
        QCOMPARE(second.ImageList1.picture(key).cacheKey(), handedOut.value(key));

    // The store outlives the window that loaded it: other windows still read it.
    first.reset();
    QCOMPARE(&ImageList::shared().picture("logo"), firstLogo);
    QCOMPARE(ImageList::shared().picture("logo").cacheKey(), handedOut.value("logo"));
}

void TestFrmGuiLayout::storedOrder()
{
    const QStringList stored{"Hand",     "logo",     "Poivron1", "Poivron2", "Poivron3",
                             "Poivron4", "Tomate1",  "Tomate2",  "Tomate3",  "Tomate4",
                             "Carotte1", "Carotte2", "Radis3",   "Radis4",   "Radis1",
                             "Radis2",   "Radis",    "Carotte",  "Poivron",  "Tomate"};
    QCOMPARE(ImageList::keys(), stored);
}

void TestFrmGuiLayout::unknownKey_data()
{
    QTest::addColumn<QString>("key");

    QTest::newRow("empty") << "";
    QTest::newRow("wrong case") << "radis1";
    QTest::newRow("no such frame") << "Radis5";
    QTest::newRow("trailing blank") << "Radis1 ";
    QTest::newRow("file name") << "logo.gif";
    QTest::newRow("twin's name") << "logo@2x";
}

void TestFrmGuiLayout::unknownKey()
{
    QFETCH(QString, key);

    ImageList& store = ImageList::shared();
    QVERIFY(!store.contains(key));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("key"));
    QVERIFY(store.picture(key).isNull());
    QVERIFY(ImageList::path(key).isEmpty());
}

// ---- Load -------------------------------------------------------------------------

void TestFrmGuiLayout::formLoad()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.mousePointer(), int(frmGUI::DefaultPointer));
    QCOMPARE(shownKey(image(window, "imgLogo")), "logo");
    QCOMPARE(shownKey(image(window, "imgTomate")), "Tomate");
    QCOMPARE(shownKey(image(window, "imgPoivron")), "Poivron");
    QCOMPARE(shownKey(image(window, "imgCarotte")), "Carotte");
    QCOMPARE(shownKey(image(window, "imgRadis")), "Radis");
    for (const QString& name : flashImages)
        QVERIFY2(image(window, name)->isHidden(), qPrintable(name));
    // The radish gets its first picture from the first tick, not from the load.
    QCOMPARE(shownKey(image(window, "imgCategory")), QString());
    for (const char* name : {"imgQuantity", "imgFrom", "imgTo"})
        QCOMPARE(shownKey(image(window, name)), QString());
}

void TestFrmGuiLayout::windowIconIsTheRadish()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    const QImage radish = comparable(picture("Radis"));
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(comparable(window.windowIcon().pixmap(QSize(32, 32))), radish);
    window.Form_Load();
    QCOMPARE(comparable(window.windowIcon().pixmap(QSize(32, 32))), radish);
}

// ---- Step guide -------------------------------------------------------------------

void TestFrmGuiLayout::frameCycle_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("frames");   // after each tick, from no picture

    QTest::newRow("radish turns")
        << int(Step::Category) << QStringList{"Radis1", "Radis2", "Radis3", "Radis4", "Radis1", "Radis2"};
    QTest::newRow("carrot rocks")
        << int(Step::Quantity) << QStringList{"Carotte1", "Carotte2", "Carotte1", "Carotte2", "Carotte1"};
    QTest::newRow("tomato turns")
        << int(Step::FromUnit) << QStringList{"Tomate1", "Tomate2", "Tomate3", "Tomate4", "Tomate1", "Tomate2"};
    QTest::newRow("pepper turns")
        << int(Step::ToUnit) << QStringList{"Poivron1", "Poivron2", "Poivron3", "Poivron4", "Poivron1", "Poivron2"};
}

void TestFrmGuiLayout::frameCycle()
{
    QFETCH(int, step);
    QFETCH(QStringList, frames);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QLabel* pointer = image(window, parts.image);
    const QPoint position = pointer->pos();
    const bool hidden = pointer->isHidden();
    QCOMPARE(shownKey(pointer), QString());

    for (const QString& frame : frames) {
        tick(window, parts.tick);
        QCOMPARE(shownKey(pointer), frame);
        // Each frame at its own size, top-left where the pointer stands.
        QCOMPARE(pointer->size(), picture(frame).deviceIndependentSize().toSize());
        QCOMPARE(pointer->pos(), position);
        // Ticking never shows or hides the pointer.
        QCOMPARE(pointer->isHidden(), hidden);
    }
}

void TestFrmGuiLayout::restingPointerMovesOnToFrame2_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("frame2");
    QTest::addColumn<int>("ticksBefore");   // so the pointer rests from somewhere inside its cycle

    QTest::newRow("radish from frame 3") << int(Step::Category) << "Radis2" << 3;
    QTest::newRow("radish from frame 4") << int(Step::Category) << "Radis2" << 4;
    QTest::newRow("carrot from frame 2") << int(Step::Quantity) << "Carotte2" << 2;
    QTest::newRow("tomato from frame 4") << int(Step::FromUnit) << "Tomate2" << 4;
    QTest::newRow("tomato without picture") << int(Step::FromUnit) << "Tomate2" << 0;
    QTest::newRow("pepper from frame 3") << int(Step::ToUnit) << "Poivron2" << 3;
}

void TestFrmGuiLayout::restingPointerMovesOnToFrame2()
{
    QFETCH(int, step);
    QFETCH(QString, frame2);
    QFETCH(int, ticksBefore);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    for (int i = 0; i < ticksBefore; ++i)
        tick(window, parts.tick);
    window.RestStepPointer(Step(step));
    window.StartStepPointer(Step(step));
    tick(window, parts.tick);
    QCOMPARE(shownKey(image(window, parts.image)), frame2);
}

void TestFrmGuiLayout::foreignPictureFallsBackToFrame1_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("foreign");   // a stored key, or "copy of <key>"
    QTest::addColumn<QString>("frame1");

    QTest::newRow("tomato showing the radish icon") << int(Step::FromUnit) << "Radis" << "Tomate1";
    QTest::newRow("tomato showing its own icon") << int(Step::FromUnit) << "Tomate" << "Tomate1";
    QTest::newRow("tomato on its last frame") << int(Step::FromUnit) << "Tomate4" << "Tomate1";
    QTest::newRow("radish showing its own icon") << int(Step::Category) << "Radis" << "Radis1";
    QTest::newRow("radish showing the tomato's frame 1") << int(Step::Category) << "Tomate1" << "Radis1";
    QTest::newRow("radish showing the hand") << int(Step::Category) << "Hand" << "Radis1";
    QTest::newRow("carrot showing the pepper's frame 1") << int(Step::Quantity) << "Poivron1" << "Carotte1";
    QTest::newRow("carrot on its last frame") << int(Step::Quantity) << "Carotte2" << "Carotte1";
    QTest::newRow("pepper showing the carrot's frame 2") << int(Step::ToUnit) << "Carotte2" << "Poivron1";
    QTest::newRow("pepper showing the logo") << int(Step::ToUnit) << "logo" << "Poivron1";
    QTest::newRow("pepper showing a stranger's picture") << int(Step::ToUnit) << "" << "Poivron1";
}

void TestFrmGuiLayout::foreignPictureFallsBackToFrame1()
{
    QFETCH(int, step);
    QFETCH(QString, foreign);
    QFETCH(QString, frame1);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QLabel* pointer = image(window, parts.image);
    if (foreign.isEmpty()) {
        QPixmap stranger(10, 10);
        stranger.fill(Qt::green);
        pointer->setPixmap(stranger);
    } else {
        pointer->setPixmap(picture(foreign));
    }
    tick(window, parts.tick);
    QCOMPARE(shownKey(pointer), frame1);
    QCOMPARE(pointer->size(), picture(frame1).deviceIndependentSize().toSize());
}

void TestFrmGuiLayout::startStepPointer_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("ticksBefore");

    QTest::newRow("radish, running, frame 3") << int(Step::Category) << 3;
    QTest::newRow("carrot, hidden, no picture") << int(Step::Quantity) << 0;
    QTest::newRow("carrot, hidden, frame 2") << int(Step::Quantity) << 2;
    QTest::newRow("tomato, hidden, frame 4") << int(Step::FromUnit) << 4;
    QTest::newRow("pepper, hidden, frame 2") << int(Step::ToUnit) << 2;
}

void TestFrmGuiLayout::startStepPointer()
{
    QFETCH(int, step);
    QFETCH(int, ticksBefore);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QLabel* pointer = image(window, parts.image);
    for (int i = 0; i < ticksBefore; ++i)
        tick(window, parts.tick);
    const QString before = shownKey(pointer);

    window.StartStepPointer(Step(step));
    QVERIFY(!pointer->isHidden());
    QVERIFY(timer(window, parts.timer)->isActive());
    QVERIFY(window.IsStepPending(Step(step)));
    // The animation carries on from the picture shown.
    QCOMPARE(shownKey(pointer), before);
}

void TestFrmGuiLayout::startingARunningPointerKeepsItsSchedule_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("startFirst");

    QTest::newRow("radish, running since load") << int(Step::Category) << false;
    QTest::newRow("carrot, started before") << int(Step::Quantity) << true;
    QTest::newRow("pepper, started before") << int(Step::ToUnit) << true;
}

void TestFrmGuiLayout::startingARunningPointerKeepsItsSchedule()
{
    QFETCH(int, step);
    QFETCH(bool, startFirst);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QTimer* running = timer(window, parts.timer);
    if (startFirst)
        window.StartStepPointer(Step(step));
    QVERIFY(running->isActive());

    // Let part of a period pass, so that a restart would show as time handed back.
    QTRY_VERIFY(running->remainingTime() < running->interval() * 3 / 4);
    const int id = running->timerId();
    const int remaining = running->remainingTime();
    window.StartStepPointer(Step(step));
    QVERIFY(running->isActive());
    QCOMPARE(running->timerId(), id);
    QVERIFY2(running->remainingTime() <= remaining,
             qPrintable(QString("%1 ms left before, %2 after").arg(remaining).arg(running->remainingTime())));
}

void TestFrmGuiLayout::restStepPointer_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("ticksBefore");
    QTest::addColumn<QString>("restFrame");

    QTest::newRow("radish, shown, frame 3") << int(Step::Category) << true << 3 << "Radis1";
    QTest::newRow("radish, no picture yet") << int(Step::Category) << true << 0 << "Radis1";
    QTest::newRow("carrot, shown, frame 2") << int(Step::Quantity) << true << 2 << "Carotte1";
    QTest::newRow("carrot, hidden") << int(Step::Quantity) << false << 2 << "Carotte1";
    QTest::newRow("tomato, shown, frame 4") << int(Step::FromUnit) << true << 4 << "Tomate1";
    QTest::newRow("tomato, hidden") << int(Step::FromUnit) << false << 3 << "Tomate1";
    QTest::newRow("pepper, shown, frame 2") << int(Step::ToUnit) << true << 2 << "Poivron1";
    QTest::newRow("pepper, hidden, no picture") << int(Step::ToUnit) << false << 0 << "Poivron1";
}

void TestFrmGuiLayout::restStepPointer()
{
    QFETCH(int, step);
    QFETCH(bool, shown);
    QFETCH(int, ticksBefore);
    QFETCH(QString, restFrame);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QLabel* pointer = image(window, parts.image);
    for (int i = 0; i < ticksBefore; ++i)
        tick(window, parts.tick);
    if (shown)
        window.StartStepPointer(Step(step));
    QCOMPARE(pointer->isHidden(), !shown);

    window.RestStepPointer(Step(step));
    QVERIFY(!timer(window, parts.timer)->isActive());
    QVERIFY(!window.IsStepPending(Step(step)));
    QCOMPARE(shownKey(pointer), restFrame);
    QCOMPARE(pointer->size(), picture(restFrame).deviceIndependentSize().toSize());
    QCOMPARE(pointer->isHidden(), !shown);
}

void TestFrmGuiLayout::hideStepPointer_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("startFirst");

    QTest::newRow("radish, pointing since load") << int(Step::Category) << false;
    QTest::newRow("carrot, pointing") << int(Step::Quantity) << true;
    QTest::newRow("carrot, already hidden") << int(Step::Quantity) << false;
    QTest::newRow("tomato, pointing") << int(Step::FromUnit) << true;
    QTest::newRow("pepper, pointing") << int(Step::ToUnit) << true;
}

void TestFrmGuiLayout::hideStepPointer()
{
    QFETCH(int, step);
    QFETCH(bool, startFirst);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    if (startFirst) {
        window.StartStepPointer(Step(step));
        QVERIFY(window.IsStepPending(Step(step)));
    }
    window.HideStepPointer(Step(step));
    QVERIFY(!timer(window, parts.timer)->isActive());
    QVERIFY(!window.IsStepPending(Step(step)));
    QVERIFY(image(window, parts.image)->isHidden());

    // Pending is the timer's state, whoever switched it.
    timer(window, parts.timer)->start();
    QVERIFY(window.IsStepPending(Step(step)));
    timer(window, parts.timer)->stop();
    QVERIFY(!window.IsStepPending(Step(step)));
}

void TestFrmGuiLayout::displayVeggies()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    for (int i = 0; i < 3; ++i)
        window.tmrTo_Timer();
    QCOMPARE(shownKey(image(window, "imgTo")), "Poivron3");
    timer(window, "tmrStop")->stop();

    window.DisplayVeggies();
    QCOMPARE(shownKey(image(window, "imgTo")), "Poivron1");
    QCOMPARE(image(window, "imgTo")->size(), QSize(27, 28));
    QVERIFY(timer(window, "tmrResult")->isActive());
    QVERIFY(timer(window, "tmrStop")->isActive());
    // The pepper stands still; the flash has not shown anything before its first tick.
    QVERIFY(!timer(window, "tmrTo")->isActive());
    for (const QString& name : flashImages)
        QVERIFY2(image(window, name)->isHidden(), qPrintable(name));
}

void TestFrmGuiLayout::blink_data()
{
    QTest::addColumn<bool>("windowShown");

    QTest::newRow("window hidden") << false;
    QTest::newRow("window shown") << true;
}

void TestFrmGuiLayout::blink()
{
    QFETCH(bool, windowShown);

    FakeServices fakes;
    frmGUI window(fakes.services());
    if (windowShown) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    window.DisplayVeggies();
    for (int blinkTick = 1; blinkTick <= 6; ++blinkTick) {
        window.tmrResult_Timer();
        const bool on = blinkTick % 2 == 1;
        for (const QString& name : flashImages) {
            QLabel* vegetable = image(window, name);
            QVERIFY2(vegetable->isHidden() == !on,
                     qPrintable(QString("%1 after tick %2").arg(name).arg(blinkTick)));
            if (windowShown)
                QCOMPARE(vegetable->isVisible(), on);
        }
    }
    // The pictures blink, not change.
    QCOMPARE(shownKey(image(window, "imgRadis")), "Radis");
    QCOMPARE(shownKey(image(window, "imgTomate")), "Tomate");
    QCOMPARE(shownKey(image(window, "imgCarotte")), "Carotte");
    QCOMPARE(shownKey(image(window, "imgPoivron")), "Poivron");
}

void TestFrmGuiLayout::endOfFlash_data()
{
    QTest::addColumn<int>("blinks");

    QTest::newRow("before the first blink") << 0;
    QTest::newRow("while shown") << 1;
    QTest::newRow("while hidden") << 2;
    QTest::newRow("shown, late") << 19;
}

void TestFrmGuiLayout::endOfFlash()
{
    QFETCH(int, blinks);

    FakeServices fakes;
    frmGUI window(fakes.services());
    window.DisplayVeggies();
    for (int i = 0; i < blinks; ++i)
        window.tmrResult_Timer();

    window.tmrStop_Timer();
    QVERIFY(!timer(window, "tmrResult")->isActive());
    QVERIFY(!timer(window, "tmrStop")->isActive());
    for (const QString& name : flashImages)
        QVERIFY2(image(window, name)->isHidden(), qPrintable(name));
    // The guide pointers are none of the flash's business.
    QVERIFY(timer(window, "tmrCategory")->isActive());
    QVERIFY(!image(window, "imgCategory")->isHidden());
}

void TestFrmGuiLayout::stopVeggieFlashLeavesTheStopTimer()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.DisplayVeggies();
    window.tmrResult_Timer();
    QVERIFY(!image(window, "imgRadis")->isHidden());

    window.StopVeggieFlash();
    QVERIFY(!timer(window, "tmrResult")->isActive());
    QVERIFY(timer(window, "tmrStop")->isActive());
    for (const QString& name : flashImages)
        QVERIFY2(image(window, name)->isHidden(), qPrintable(name));

    // Its later tick finds nothing left to end.
    window.tmrStop_Timer();
    QVERIFY(!timer(window, "tmrStop")->isActive());
    for (const QString& name : flashImages)
        QVERIFY2(image(window, name)->isHidden(), qPrintable(name));
}

void TestFrmGuiLayout::radishTurnsAfterLoad()
{
    FakeServices fakes;
    frmGUI window(fakes.services());   // loaded, never shown: its timers tick all the same
    QLabel* imgCategory = image(window, "imgCategory");
    QCOMPARE(shownKey(imgCategory), QString());

    // What the radish shows after each real tick, so a busy machine cannot skip a frame
    // past the test.
    QStringList seen;
    connect(timer(window, "tmrCategory"), &QTimer::timeout, this,
            [&] { seen << shownKey(imgCategory); });
    QTRY_VERIFY_WITH_TIMEOUT(seen.size() >= 2, 2000);
    QCOMPARE(seen.mid(0, 2), (QStringList{"Radis1", "Radis2"}));

    // The stop timer acts once, a second after load, and switches itself off.
    QTRY_VERIFY_WITH_TIMEOUT(!timer(window, "tmrStop")->isActive(), 3000);
    QVERIFY(timer(window, "tmrCategory")->isActive());
}

// ---- Resizing ---------------------------------------------------------------------

void TestFrmGuiLayout::growingTheWindowMovesNothing()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMap<QString, QRect> before = placesInWindow(window);

    const QSize larger = window.size() + QSize(300, 200);
    window.resize(larger);
    QTRY_COMPARE(window.size(), larger);
    QCoreApplication::processEvents();
    const QMap<QString, QRect> after = placesInWindow(window);
    for (const QString& name : drawnControls)
        QCOMPARE(after.value(name), before.value(name));
}

void TestFrmGuiLayout::shrinkingTheWindowMovesNothing()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMap<QString, QRect> before = placesInWindow(window);

    // What falls outside is cut off, not squeezed in; nothing holds the window open.
    const QSize smaller(300, 250);
    QVERIFY2(window.minimumWidth() <= smaller.width() && window.minimumHeight() <= smaller.height(),
             qPrintable(QString("the window cannot be made smaller than %1 x %2")
                            .arg(window.minimumWidth()).arg(window.minimumHeight())));
    window.resize(smaller);
    QTRY_COMPARE(window.size(), smaller);
    QCoreApplication::processEvents();
    const QMap<QString, QRect> after = placesInWindow(window);
    for (const QString& name : drawnControls)
        QCOMPARE(after.value(name), before.value(name));
}

QTEST_MAIN(TestFrmGuiLayout)
#include "tst_frmgui_layout.moc"
