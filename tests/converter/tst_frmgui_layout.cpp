#include "fakes/FakeServices.h"
#include "pellimor_version.h"
#include "ui/converter/ImageList.h"
#include "ui/converter/frmGUI.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
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

const QStringList flashImages{"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"};

const QPixmap& picture(const QString& key)
{
    return ImageList::shared().picture(key);
}

QSize sizeOf(const QString& key)
{
    return picture(key).deviceIndependentSize().toSize();
}

// The stored key whose very picture an image shows; empty for none, "?" for a stranger.
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

bool allHidden(const frmGUI& window, const QStringList& names)
{
    for (const QString& name : names)
        if (!image(window, name)->isHidden())
            return false;
    return true;
}

struct StepParts {
    const char* image;
    const char* timer;
    void (frmGUI::*tick)();
};

StepParts partsOf(Step step)
{
    switch (step) {
    case Step::Category: return {"imgCategory", "tmrCategory", &frmGUI::tmrCategory_Timer};
    case Step::Quantity: return {"imgQuantity", "tmrQuantity", &frmGUI::tmrQuantity_Timer};
    case Step::FromUnit: return {"imgFrom", "tmrFrom", &frmGUI::tmrFrom_Timer};
    case Step::ToUnit: break;
    }
    return {"imgTo", "tmrTo", &frmGUI::tmrTo_Timer};
}

void ticks(frmGUI& window, const StepParts& parts, int count)
{
    for (int i = 0; i < count; ++i)
        (window.*parts.tick)();
}

QString textOf(const QWidget* widget)
{
    if (auto* list = qobject_cast<const QListWidget*>(widget))
        return list->count() ? QStringLiteral("<items>") : QString();
    for (const char* property : {"title", "currentText", "text"})
        if (const QVariant value = widget->property(property); value.isValid())
            return value.toString();
    return QStringLiteral("<no text>");
}

// The widgets that Tab reaches, in chain order, starting at the category box.
QStringList tabOrder(const frmGUI& window)
{
    QWidget* start = control(window, "cmbCategory");
    QStringList order{start->objectName()};
    for (QWidget* next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain())
        if (!next->focusProxy() && (next->focusPolicy() & Qt::TabFocus) && window.isAncestorOf(next))
            order << next->objectName();
    return order;
}

QFont msSansSerif(double pointSize, bool bold, bool underline = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

// Where everything in the client area stands, in window coordinates.
QList<QRect> placesInWindow(const frmGUI& window)
{
    QList<QRect> places;
    for (const QWidget* widget : window.centralWidget()->findChildren<QWidget*>())
        places << QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    return places;
}

} // namespace

class TestFrmGuiLayout : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void systemColoursFollowTheTheme();
    void loadedWindow();
    void menus();
    void tabFromCategorySkipsDisabledFields();
    void timers();
    void resizingMovesNothing_data();
    void resizingMovesNothing();

    void pictures_data();
    void pictures();
    void storedOrderOfDistinctPictures();
    void oneStoreOutlivesTheWindow();
    void unknownKeys();

    void frameCycle_data();
    void frameCycle();
    void foreignPictureFallsBackToFrame1_data();
    void foreignPictureFallsBackToFrame1();
    void pointerOperations_data();
    void pointerOperations();
    void flash_data();
    void flash();
    void radishTurnsAfterLoad();
};

// ---- Window -----------------------------------------------------------------------

void TestFrmGuiLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");   // empty: the window's client area
    QTest::addColumn<QRect>("geometry");   // empty size: an image with no picture yet
    QTest::addColumn<int>("tab");          // place in the Tab order, -1: not reached
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QString>("text");     // for an image: the key of its picture at load
    QTest::addColumn<QFont>("font");       // family "": an image
    QTest::addColumn<QColor>("ink");       // invalid: not checked
    QTest::addColumn<QString>("base");     // "white", "unusable" (system window colour) or ""

    const QFont frame = msSansSerif(8.25, true);
    const QFont plain = msSansSerif(8.25, false);
    auto row = [](const char* name, const char* cls, const char* parent, QRect geometry, int tab,
                  bool enabled, bool hidden, const QString& text, const QFont& font = QFont(QString()),
                  QColor ink = {}, const char* base = "") {
        QTest::newRow(name) << QString(name) << QString(cls) << QString(parent) << geometry << tab
                            << enabled << hidden << text << font << ink << QString(base);
    };
    row("fraCategory", "QGroupBox", "", {16, 16, 209, 65}, -1, true, false, "Category", frame);
    row("cmbCategory", "QComboBox", "fraCategory", {16, 24, 137, 21}, 0, true, false,
        "(Select a category)", plain, {}, "white");
    row("imgCategory", "QLabel", "fraCategory", {168, 16, 0, 0}, -1, true, false, "");
    row("fraQuantity", "QGroupBox", "", {16, 96, 209, 65}, -1, true, false, "Quantity", frame);
    row("txtQuantity", "QLineEdit", "fraQuantity", {16, 24, 97, 19}, 1, false, false, "", plain, {}, "unusable");
    row("imgQuantity", "QLabel", "fraQuantity", {168, 16, 0, 0}, -1, true, true, "");
    row("fraFrom", "QGroupBox", "", {16, 176, 209, 201}, -1, true, false, "Convert  From...", frame);
    row("Label1", "QLabel", "fraFrom", {24, 32, 97, 17}, -1, true, false, "Measuring Unit:", plain);
    row("lstFrom", "QListWidget", "fraFrom", {24, 48, 161, 134}, 2, false, false, "", plain, {}, "unusable");
    row("imgFrom", "QLabel", "fraFrom", {168, 16, 0, 0}, -1, true, true, "");
    row("fraTo", "QGroupBox", "", {288, 176, 209, 201}, -1, true, false, "To...", frame);
    row("Label4", "QLabel", "fraTo", {24, 32, 97, 17}, -1, true, false, "Measuring Unit:", plain);
    row("lstTo", "QListWidget", "fraTo", {24, 48, 161, 134}, 3, false, false, "", plain, {}, "unusable");
    row("imgTo", "QLabel", "fraTo", {168, 16, 0, 0}, -1, true, true, "");
    row("Frame4", "QGroupBox", "", {16, 408, 481, 73}, -1, true, false, " Result ", frame);
    row("txtResult", "QLineEdit", "Frame4", {16, 24, 449, 33}, 4, true, false, "", msSansSerif(13.5, true),
        QColor(0, 0, 192), "unusable");
    row("imgLogo", "QLabel", "", {336, 0, 100, 96}, -1, true, false, "logo");
    row("lblLearn", "QLabel", "", {312, 104, 161, 17}, -1, true, false, "Learn to cook online!",
        msSansSerif(9.75, true), QColor(192, 0, 0));
    row("lblURL", "QLabel", "", {328, 128, 129, 17}, -1, true, false, PELLIMOR_WEB_HOST,
        msSansSerif(8.25, true, true), QColor(0, 0, 255));
    // Radish and carrot stand on the result frame's top edge, tomato and pepper hang
    // one pixel into its bottom edge.
    row("imgRadis", "QLabel", "", {88, 376, 32, 32}, -1, true, true, "Radis");
    row("imgCarotte", "QLabel", "", {296, 376, 32, 32}, -1, true, true, "Carotte");
    row("imgTomate", "QLabel", "", {184, 480, 32, 32}, -1, true, true, "Tomate");
    row("imgPoivron", "QLabel", "", {424, 480, 32, 32}, -1, true, true, "Poivron");
}

void TestFrmGuiLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(int, tab);
    QFETCH(bool, enabled);
    QFETCH(bool, hidden);
    QFETCH(QString, text);
    QFETCH(QFont, font);
    QFETCH(QColor, ink);
    QFETCH(QString, base);

    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.findChildren<QWidget*>(name).size(), 1);
    QWidget* widget = control(window, name);
    QVERIFY2(widget->inherits(qPrintable(className)), widget->metaObject()->className());
    if (parent.isEmpty())
        QCOMPARE(widget->parentWidget(), window.centralWidget());
    else
        QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (!geometry.isEmpty())
        QCOMPARE(widget->size(), geometry.size());
    QCOMPARE(tabOrder(window).indexOf(name), tab);
    QCOMPARE(widget->isEnabled(), enabled);
    QCOMPARE(widget->isHidden(), hidden);

    if (font.family().isEmpty()) {
        auto* label = static_cast<QLabel*>(widget);
        QCOMPARE(shownKey(label), text);
        // Pictures show at their own size: a stretching control would distort them.
        QVERIFY(!label->hasScaledContents());
        return;
    }
    QCOMPARE(textOf(widget), text);
    const QFont shown = widget->font();
    // The named face where this machine has it, else only installed stand-ins: naming
    // a missing face first sends every new size through the system's slow fall-back.
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(font.family()))
        QCOMPARE(shown.families().value(0), font.family());
    for (const QString& face : shown.families())
        QVERIFY2(installed.contains(face), qPrintable(face));
    QCOMPARE_EQ(shown.pointSizeF(), font.pointSizeF());
    QCOMPARE(shown.bold(), font.bold());
    QCOMPARE(shown.underline(), font.underline());
    QVERIFY(!shown.italic());
    // Where the face is missing, what stands in keeps the weight.
    QCOMPARE(QFontInfo(shown).bold(), font.bold());

    // As the field is now (disabled or not), and as it looks in an inactive window.
    const QPalette system = QApplication::palette();
    QVERIFY(system.color(QPalette::Window) != system.color(QPalette::Base));
    auto check = [&](QPalette::ColorRole role, const QColor& colour) {
        QCOMPARE(widget->palette().color(role), colour);
        QCOMPARE(widget->palette().color(QPalette::Inactive, role), colour);
    };
    if (ink.isValid())
        check(widget->inherits("QLineEdit") ? QPalette::Text : QPalette::WindowText, ink);
    if (base == "white")
        check(QPalette::Base, QColor(Qt::white));
    else if (base == "unusable")
        check(QPalette::Base, system.color(QPalette::Window));
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
        QCOMPARE(control(window, "cmbCategory")->palette().color(QPalette::Base), QColor(Qt::white));
    }
    QApplication::setPalette(original);
}

void TestFrmGuiLayout::loadedWindow()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    QCOMPARE(window.windowTitle(), "Pellimor");
    QCOMPARE(window.mousePointer(), int(frmGUI::DefaultPointer));
    // The window icon is the radish, and stays so when the load runs again.
    const auto iconImage = [&] {
        return window.windowIcon().pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage radish = picture("Radis").toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(iconImage(), radish);
    window.Form_Load();
    QCOMPARE(iconImage(), radish);

    auto* cmbCategory = control<QComboBox>(window, "cmbCategory");
    QVERIFY(cmbCategory->isEditable());
    QStringList items;
    for (int row = 0; row < cmbCategory->count(); ++row)
        items << cmbCategory->itemText(row);
    QCOMPARE(items, (QStringList{"Lengths", "Temperatures", "Volumes", "Weights"}));
    QCOMPARE(cmbCategory->currentIndex(), -1);
    QVERIFY(control<QLineEdit>(window, "txtResult")->isReadOnly());
    QCOMPARE(control<QLabel>(window, "lblLearn")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Absolute positions only: nothing inside is laid out again.
    QVERIFY(!window.centralWidget()->layout());
    for (const char* frame : {"fraCategory", "fraQuantity", "fraFrom", "fraTo", "Frame4"})
        QVERIFY2(!control(window, frame)->layout(), frame);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.centralWidget()->size(), QSize(514, 516));
    QCOMPARE(window.centralWidget()->mapTo(&window, QPoint(0, 0)), QPoint(0, window.menuBar()->height()));
    QCOMPARE(window.size(), QSize(514, window.menuBar()->height() + 516));
    QVERIFY(!(window.windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
    // Centred on the screen when first shown.
    const QPoint offCentre = window.frameGeometry().center() - window.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2,
             qPrintable(QString("%1,%2 off centre").arg(offCentre.x()).arg(offCentre.y())));
}

void TestFrmGuiLayout::menus()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    // name, caption, item name, item caption; each menu holds its one item.
    QStringList found;
    for (QAction* entry : window.menuBar()->actions()) {
        QMenu* menu = entry->menu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), entry->text());
        for (QAction* item : menu->actions()) {
            QVERIFY(item->isEnabled() && item->isVisible() && !item->menu());
            found << QStringList{menu->objectName(), entry->text(), item->objectName(), item->text()}
                         .join('|');
        }
    }
    QCOMPARE(found, (QStringList{"mnuFile|&File|mnuExit|E&xit",
                                 "mnuOptions|&Options|mnuGoToURL|&Go to Brenvo's Web Site",
                                 "mnuHelp|&Help|mnuAbout|&About..."}));
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

void TestFrmGuiLayout::timers()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    QStringList found;   // name, interval in ms, running at load
    for (const QString name : {"tmrCategory", "tmrQuantity", "tmrFrom", "tmrTo", "tmrResult", "tmrStop"}) {
        QCOMPARE(window.findChildren<QTimer*>(name).size(), 1);
        const QTimer* one = timer(window, name);
        found << QString("%1 %2 %3").arg(name).arg(one->interval()).arg(one->isActive() ? "on" : "off");
    }
    QCOMPARE(found, (QStringList{"tmrCategory 200 on", "tmrQuantity 200 off", "tmrFrom 200 off",
                                 "tmrTo 200 off", "tmrResult 50 off", "tmrStop 1000 on"}));
}

void TestFrmGuiLayout::resizingMovesNothing_data()
{
    QTest::addColumn<QSize>("change");

    QTest::newRow("larger") << QSize(300, 200);
    // What falls outside is cut off, not squeezed in; nothing holds the window open.
    QTest::newRow("smaller") << QSize(-214, -300);
}

void TestFrmGuiLayout::resizingMovesNothing()
{
    QFETCH(QSize, change);

    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QRect> before = placesInWindow(window);

    const QSize target = window.size() + change;
    window.resize(target);
    QTRY_COMPARE(window.size(), target);
    QCoreApplication::processEvents();
    QCOMPARE(placesInWindow(window), before);
}

// ---- Picture store ----------------------------------------------------------------

void TestFrmGuiLayout::pictures_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("size");

    const QList<std::pair<const char*, QSize>> pictures{
        {"Hand", {32, 32}},     {"logo", {100, 96}},    {"Poivron1", {27, 28}}, {"Poivron2", {28, 27}},
        {"Poivron3", {27, 28}}, {"Poivron4", {28, 27}}, {"Tomate1", {24, 21}},  {"Tomate2", {21, 24}},
        {"Tomate3", {24, 21}},  {"Tomate4", {21, 24}},  {"Carotte1", {35, 28}}, {"Carotte2", {35, 28}},
        {"Radis3", {30, 28}},   {"Radis4", {28, 30}},   {"Radis1", {28, 30}},   {"Radis2", {28, 30}},
        {"Radis", {32, 32}},    {"Carotte", {32, 32}},  {"Poivron", {32, 32}},  {"Tomate", {32, 32}},
    };
    for (const auto& [key, size] : pictures)
        QTest::newRow(key) << QString(key) << size;
}

void TestFrmGuiLayout::pictures()
{
    QFETCH(QString, key);
    QFETCH(QSize, size);

    ImageList& store = ImageList::shared();
    QVERIFY(store.contains(key));
    const QPixmap& shown = store.picture(key);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.deviceIndependentSize().toSize(), size);
    // The same object every time: the guide tells frames apart by identity.
    QCOMPARE(&store.picture(key), &shown);
    QCOMPARE(store.picture(key).cacheKey(), shown.cacheKey());
    if (ImageList::path(key).endsWith(".gif")) {
        // The window shows through the background.
        QCOMPARE(qAlpha(shown.toImage().pixel(0, 0)), 0);
    }
}

void TestFrmGuiLayout::storedOrderOfDistinctPictures()
{
    QCOMPARE(ImageList::keys(),
             (QStringList{"Hand",     "logo",     "Poivron1", "Poivron2", "Poivron3",
                          "Poivron4", "Tomate1",  "Tomate2",  "Tomate3",  "Tomate4",
                          "Carotte1", "Carotte2", "Radis3",   "Radis4",   "Radis1",
                          "Radis2",   "Radis",    "Carotte",  "Poivron",  "Tomate"}));
    // Two keys sharing one picture would stall a cycle.
    QSet<qint64> seen;
    for (const QString& key : ImageList::keys())
        seen.insert(picture(key).cacheKey());
    QCOMPARE(seen.size(), 20);
}

void TestFrmGuiLayout::oneStoreOutlivesTheWindow()
{
    FakeServices fakes;
    auto first = std::make_unique<frmGUI>(fakes.services());
    QCOMPARE(&first->ImageList1, &ImageList::shared());
    const QPixmap* logo = &first->ImageList1.picture("logo");
    const qint64 logoKey = logo->cacheKey();
    {
        frmGUI second(fakes.services());
        QCOMPARE(&second.ImageList1, &first->ImageList1);
    }
    // Other windows still read the store after the window that loaded it is gone.
    first.reset();
    QCOMPARE(&ImageList::shared().picture("logo"), logo);
    QCOMPARE(ImageList::shared().picture("logo").cacheKey(), logoKey);
}

void TestFrmGuiLayout::unknownKeys()
{
    ImageList& store = ImageList::shared();
    for (const QString key : {"", "radis1", "Radis5", "Radis1 ", "logo.gif", "logo@2x"}) {
        QVERIFY2(!store.contains(key), qPrintable(key));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("key"));
        QVERIFY(store.picture(key).isNull());
        QVERIFY(ImageList::path(key).isEmpty());
    }
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
    const bool hidden = pointer->isHidden();
    for (const QString& frame : frames) {
        ticks(window, parts, 1);
        QCOMPARE(shownKey(pointer), frame);
        QCOMPARE(pointer->size(), sizeOf(frame));
        // Ticking never shows or hides the pointer.
        QCOMPARE(pointer->isHidden(), hidden);
    }
}

void TestFrmGuiLayout::foreignPictureFallsBackToFrame1_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("foreign");   // a stored key, or "" for a stranger's picture
    QTest::addColumn<QString>("frame1");

    QTest::newRow("tomato showing the radish icon") << int(Step::FromUnit) << "Radis" << "Tomate1";
    QTest::newRow("tomato showing its own icon") << int(Step::FromUnit) << "Tomate" << "Tomate1";
    QTest::newRow("radish showing the tomato's frame 1") << int(Step::Category) << "Tomate1" << "Radis1";
    QTest::newRow("radish showing the hand") << int(Step::Category) << "Hand" << "Radis1";
    QTest::newRow("carrot showing the pepper's frame 1") << int(Step::Quantity) << "Poivron1" << "Carotte1";
    QTest::newRow("pepper showing the carrot's frame 2") << int(Step::ToUnit) << "Carotte2" << "Poivron1";
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
    QPixmap stranger(10, 10);
    stranger.fill(Qt::green);
    pointer->setPixmap(foreign.isEmpty() ? stranger : picture(foreign));
    ticks(window, parts, 1);
    QCOMPARE(shownKey(pointer), frame1);
    QCOMPARE(pointer->size(), sizeOf(frame1));
}

void TestFrmGuiLayout::pointerOperations_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("ticksBefore");
    QTest::addColumn<bool>("startFirst");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("shows");    // the picture afterwards, "" for none
    QTest::addColumn<bool>("hidden");      // afterwards
    QTest::addColumn<QString>("next");     // after starting (again) and one tick

    auto row = [](const char* name, Step step, int ticksBefore, bool startFirst, const char* operation,
                  const char* shows, bool hidden, const char* next) {
        QTest::newRow(name) << int(step) << ticksBefore << startFirst << QString(operation)
                            << QString(shows) << hidden << QString(next);
    };
    // Starting carries on from the picture shown.
    row("start radish, running, frame 3", Step::Category, 3, false, "start", "Radis3", false, "Radis4");
    row("start carrot, hidden, no picture", Step::Quantity, 0, false, "start", "", false, "Carotte1");
    row("start tomato, hidden, frame 4", Step::FromUnit, 4, false, "start", "Tomate4", false, "Tomate1");
    // Resting keeps the visibility; started again, the pointer moves on from its rest frame.
    row("rest radish, frame 3", Step::Category, 3, false, "rest", "Radis1", false, "Radis2");
    row("rest radish, no picture yet", Step::Category, 0, false, "rest", "Radis1", false, "Radis2");
    row("rest carrot, shown, frame 2", Step::Quantity, 2, true, "rest", "Carotte1", false, "Carotte2");
    row("rest carrot, hidden", Step::Quantity, 2, false, "rest", "Carotte1", true, "Carotte2");
    row("rest tomato, shown, frame 4", Step::FromUnit, 4, true, "rest", "Tomate1", false, "Tomate2");
    row("rest pepper, hidden, no picture", Step::ToUnit, 0, false, "rest", "Poivron1", true, "Poivron2");
    // Hiding leaves the picture where it was.
    row("hide radish, pointing since load", Step::Category, 2, false, "hide", "Radis2", true, "Radis3");
    row("hide carrot, pointing", Step::Quantity, 1, true, "hide", "Carotte1", true, "Carotte2");
    row("hide carrot, already hidden", Step::Quantity, 0, false, "hide", "", true, "Carotte1");
    row("hide pepper, pointing", Step::ToUnit, 2, true, "hide", "Poivron2", true, "Poivron3");
}

void TestFrmGuiLayout::pointerOperations()
{
    QFETCH(int, step);
    QFETCH(int, ticksBefore);
    QFETCH(bool, startFirst);
    QFETCH(QString, operation);
    QFETCH(QString, shows);
    QFETCH(bool, hidden);
    QFETCH(QString, next);

    FakeServices fakes;
    frmGUI window(fakes.services());
    const StepParts parts = partsOf(Step(step));
    QLabel* pointer = image(window, parts.image);
    QTimer* stepTimer = timer(window, parts.timer);
    ticks(window, parts, ticksBefore);
    if (startFirst)
        window.StartStepPointer(Step(step));

    if (operation == "start")
        window.StartStepPointer(Step(step));
    else if (operation == "rest")
        window.RestStepPointer(Step(step));
    else
        window.HideStepPointer(Step(step));
    QCOMPARE(stepTimer->isActive(), operation == "start");
    QCOMPARE(window.IsStepPending(Step(step)), operation == "start");
    QCOMPARE(shownKey(pointer), shows);
    if (!shows.isEmpty())
        QCOMPARE(pointer->size(), sizeOf(shows));
    QCOMPARE(pointer->isHidden(), hidden);

    window.StartStepPointer(Step(step));
    ticks(window, parts, 1);
    QCOMPARE(shownKey(pointer), next);
    QVERIFY(!pointer->isHidden());
    // Pending is the timer's state, whoever switched it.
    stepTimer->stop();
    QVERIFY(!window.IsStepPending(Step(step)));
}

void TestFrmGuiLayout::flash_data()
{
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<int>("blinks");
    QTest::addColumn<bool>("stoppedFirst");   // a user action ended the blink before

    QTest::newRow("ended before the first blink") << false << 0 << false;
    QTest::newRow("ended while shown") << false << 1 << false;
    QTest::newRow("ended while hidden") << false << 2 << false;
    QTest::newRow("ended shown, late") << false << 19 << false;
    QTest::newRow("window shown") << true << 6 << false;
    QTest::newRow("blink stopped before") << false << 1 << true;
}

void TestFrmGuiLayout::flash()
{
    QFETCH(bool, windowShown);
    QFETCH(int, blinks);
    QFETCH(bool, stoppedFirst);

    FakeServices fakes;
    frmGUI window(fakes.services());
    if (windowShown) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    ticks(window, partsOf(Step::ToUnit), 3);
    timer(window, "tmrStop")->stop();

    window.DisplayVeggies();
    // The pepper stands still on its rest frame; nothing shows before the first blink.
    QCOMPARE(shownKey(image(window, "imgTo")), "Poivron1");
    QCOMPARE(image(window, "imgTo")->size(), QSize(27, 28));
    QVERIFY(!timer(window, "tmrTo")->isActive());
    QVERIFY(timer(window, "tmrResult")->isActive());
    QVERIFY(timer(window, "tmrStop")->isActive());
    QVERIFY(allHidden(window, flashImages));

    for (int blink = 1; blink <= blinks; ++blink) {
        window.tmrResult_Timer();
        const bool on = blink % 2 == 1;
        for (const QString& name : flashImages) {
            QLabel* vegetable = image(window, name);
            QVERIFY2(vegetable->isHidden() == !on, qPrintable(QString("%1 after %2").arg(name).arg(blink)));
            if (windowShown)
                QCOMPARE(vegetable->isVisible(), on);
            // They blink, not change.
            QCOMPARE(shownKey(vegetable), name.mid(3));
        }
    }
    if (stoppedFirst) {
        window.StopVeggieFlash();
        QVERIFY(!timer(window, "tmrResult")->isActive());
        QVERIFY(allHidden(window, flashImages));
        // The stop timer is left to tick once later.
        QVERIFY(timer(window, "tmrStop")->isActive());
    }

    window.tmrStop_Timer();
    QVERIFY(!timer(window, "tmrResult")->isActive());
    QVERIFY(!timer(window, "tmrStop")->isActive());
    QVERIFY(allHidden(window, flashImages));
    // The guide pointers are none of the flash's business.
    QVERIFY(timer(window, "tmrCategory")->isActive());
    QVERIFY(!image(window, "imgCategory")->isHidden());
}

void TestFrmGuiLayout::radishTurnsAfterLoad()
{
    FakeServices fakes;
    frmGUI window(fakes.services());   // loaded, never shown: its timers tick all the same
    QLabel* imgCategory = image(window, "imgCategory");
    QTimer* tmrCategory = timer(window, "tmrCategory");
    // What the radish shows after each real tick, so a busy machine cannot skip a frame
    // past the test.
    QStringList seen;
    connect(tmrCategory, &QTimer::timeout, this, [&] { seen << shownKey(imgCategory); });

    // Starting the running radish keeps its schedule: a restart would hand time back.
    QTRY_VERIFY(tmrCategory->remainingTime() < tmrCategory->interval() * 3 / 4);
    const int id = tmrCategory->timerId();
    const int remaining = tmrCategory->remainingTime();
    window.StartStepPointer(Step::Category);
    QCOMPARE(tmrCategory->timerId(), id);
    QVERIFY2(tmrCategory->remainingTime() <= remaining,
             qPrintable(QString("%1 ms left before, %2 after").arg(remaining).arg(tmrCategory->remainingTime())));

    QTRY_VERIFY_WITH_TIMEOUT(seen.size() >= 2, 2000);
    QCOMPARE(seen.mid(0, 2), (QStringList{"Radis1", "Radis2"}));
    // The stop timer acts once, a second after load, and switches itself off.
    QTRY_VERIFY_WITH_TIMEOUT(!timer(window, "tmrStop")->isActive(), 3000);
    QVERIFY(tmrCategory->isActive());
}

QTEST_MAIN(TestFrmGuiLayout)
#include "tst_frmgui_layout.moc"
