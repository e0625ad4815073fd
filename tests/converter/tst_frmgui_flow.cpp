#include "catalogue/CollectionManager.h"
#include "fakes/FakeServices.h"
#include "support/MessageTexts.h"
#include "support/QuantityText.h"
#include "ui/common/ImageList.h"
#include "ui/converter/UnitListBox.h"
#include "ui/converter/frmGUI.h"

#include <QSignalSpy>
#include <QTest>
#include <QtWidgets>

#include <array>
#include <cmath>
#include <memory>

using namespace pellimor;
using namespace pellimor::test;

namespace {

const QString Placeholder = "(Enter a value)", InvalidValue = "Invalid Value";
constexpr int StopIcon = 16;   // the critical icon with one OK button
const QStringList Categories{"Lengths", "Temperatures", "Volumes", "Weights"};

// The units as the catalogue, tested on its own, lists them.
QStringList unitsOf(const QString& category)
{
    const auto collection = CollectionManager().GetCollection(category.toStdString());
    QStringList units;
    for (const std::string& unit : *collection)
        units << QString::fromStdString(unit);
    return units;
}

void useLocale(const QString& name)
{
    QLocale::setDefault(name == u"de" ? QLocale(QLocale::German, QLocale::Germany)
                                      : QLocale(QLocale::English, QLocale::UnitedStates));
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

int selectedRow(const QListWidget* list)
{
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

QString selectedText(const QListWidget* list) { return texts(list).value(selectedRow(list)); }

// A turn of the mouse wheel over a widget: up for a positive delta.
void wheel(QWidget* widget, int delta)
{
    const QPointF at(widget->rect().center());
    QWheelEvent turn(at, widget->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &turn);
}

// Whether a field has the look of a usable (white) or a locked (grey) field.
bool looks(const QWidget* field, bool usable)
{
    return field->palette().color(QPalette::Active, QPalette::Base)
           == QApplication::palette().color(QPalette::Active, usable ? QPalette::Base : QPalette::Window);
}

bool shows(const QLabel* image, const QString& key)
{
    return image->pixmap().cacheKey() == ImageList::shared().picture(key).cacheKey();
}

QString plural(const QString& unit, double magnitude)
{
    return magnitude < 2 ? unit : unit == u"Inch" ? "Inches" : unit == u"Foot" ? "Feet" : unit + u's';
}

// One converter window on fakes, with its controls found by name.
struct Converter {
    FakeServices fakes;
    frmGUI window{fakes.services()};
    template <typename T> T* find(const QString& name) { return window.findChild<T*>(name); }
    QComboBox* cmbCategory = find<QComboBox>("cmbCategory");
    QLineEdit *txtQuantity = find<QLineEdit>("txtQuantity"), *txtResult = find<QLineEdit>("txtResult");
    QListWidget *lstFrom = find<QListWidget>("lstFrom"), *lstTo = find<QListWidget>("lstTo");
    QLabel *imgCategory = find<QLabel>("imgCategory"), *imgQuantity = find<QLabel>("imgQuantity"),
           *imgFrom = find<QLabel>("imgFrom"), *imgTo = find<QLabel>("imgTo");
    QTimer *tmrCategory = find<QTimer>("tmrCategory"), *tmrQuantity = find<QTimer>("tmrQuantity"),
           *tmrFrom = find<QTimer>("tmrFrom"), *tmrTo = find<QTimer>("tmrTo"),
           *tmrResult = find<QTimer>("tmrResult"), *tmrStop = find<QTimer>("tmrStop");

    // Closed before it goes, so no focus change reaches a half destroyed window.
    ~Converter() { window.close(); }

    bool open()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window) && imgCategory && imgQuantity && imgFrom && imgTo
               && tmrCategory && tmrQuantity && tmrFrom && tmrTo && tmrResult && tmrStop && cmbCategory
               && txtQuantity && txtResult && lstFrom && lstTo;
    }

    // What a pick from the category box's list ends in.
    void pickCategory(const QString& category)
    {
        cmbCategory->setCurrentIndex(cmbCategory->findText(category));
        emit cmbCategory->activated(cmbCategory->currentIndex());
    }

    bool clickRow(QListWidget* list, int row)
    {
        QListWidgetItem* item = list->item(row);
        if (item) {
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        }
        return item;
    }

    bool click(QListWidget* list, const QString& unit) { return clickRow(list, texts(list).indexOf(unit)); }

    // Keys go where the focus is: the user first goes to the quantity box, which selects
    // its text on arrival.
    void type(const QString& keys)
    {
        if (txtQuantity->isEnabled())
            txtQuantity->setFocus();
        QTest::keyClicks(txtQuantity, keys);
    }

    // The user clicks into the category box's text, selects it all and types or pastes
    // over it.
    void editCategory(const QString& text, bool paste = false)
    {
        QTest::mouseClick(cmbCategory->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        if (paste) {
            QApplication::clipboard()->setText(text.isEmpty() ? QStringLiteral(" ") : text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(QApplication::focusWidget(), text.isEmpty() ? QStringLiteral("\b") : text);
        }
    }

    // A right click into the quantity box, then a click on the Paste of the menu it opens.
    // (A right click of QTest's would close the menu again with its release.)
    bool pasteFromMenu(const QString& text)
    {
        QApplication::clipboard()->setText(text);
        const QPoint at = txtQuantity->rect().center();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, txtQuantity->mapToGlobal(at));
        QApplication::sendEvent(txtQuantity, &rightClick);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        const QList<QAction*> items = menu ? menu->actions() : QList<QAction*>();
        const auto paste = std::find_if(items.begin(), items.end(), [](QAction* item) {
            return item->text().remove(u'&').startsWith(u"Paste");
        });
        if (paste != items.end())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*paste).center());
        return paste != items.end();
    }

    bool wholeQuantitySelected() const { return txtQuantity->selectedText() == txtQuantity->text(); }
};

} // namespace

class TestFrmGuiFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The two looks would be indistinguishable on a palette that paints both alike.
        QVERIFY(QApplication::palette().color(QPalette::Base) != QApplication::palette().color(QPalette::Window));
        useLocale(QStringLiteral("en"));
    }
    void cleanup() { useLocale(QStringLiteral("en")); }
    void requests_data();
    void requests();
    void guide_data();
    void guide();
    void quantityEdits_data();
    void quantityEdits();
    void focusFromActivation_data();
    void focusFromActivation();
    void links_data();
    void links();
    void randomSession();
};

void TestFrmGuiFlow::requests_data()
{
    // locale|category|From|quantity typed (\r: Return)|a To that converts first|text typed over
    // the category ("-": none)|the To clicked, or the Up or Down key in the To list.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");   // the new line ("": none), or the one message
    const struct {
        const char *name, *steps;
        QString expected;
    } rows[] = {
        {"negative, as typed", "en|Weights|Pound|-2.50||-|Kilogram", "-2.50 Pounds = -1.136 Kilogram"},
        {"printed 2 from 1.9996, singular", "en|Weights|Kilogram|0.0019996||-|Gram", "0.0019996 Kilogram = 2 Gram"},
        {"volumes", "en|Volumes|Gallon|1||-|Quart", "1 Gallon = 4.001 Quarts"},
        {"lengths", "en|Lengths|Inch|24||-|Foot", "24 Inches = 2 Feet"},
        {"temperatures", "en|Temperatures|Fahrenheit|350||-|Celcius", "350° Fahrenheit = 176.7° Celcius"},
        {"from a gas mark", "en|Temperatures|Gas Mark|4||-|Celcius", "Gas Mark 4 = 176.7° Celcius"},
        {"to the lowest gas mark", "en|Temperatures|Fahrenheit|262.5||-|Gas Mark", "262.5° Fahrenheit = Gas Mark 1"},
        {"comma", "de|Weights|Pound|2,5||-|Kilogram", "2,5 Pounds = 1,136 Kilogram"},
        {"weights; the same To again converts", "en|Weights|Pound|2|Kilogram|-|Kilogram", "2 Pounds = 0.909 Kilogram"},
        {"Down in the To list", "en|Weights|Pound|2|Kilogram|-|Down", "2 Pounds = 909100 Milligrams"},
        {"Up at the top, no move", "en|Weights|Pound|2|Gram|-|Up", ""},
        {"placeholder", "en|Weights|Pound|\r||-|Kilogram", InvalidQuantity},
        {"dot in a comma locale", "de|Weights|Pound|1.5||-|Kilogram", InvalidQuantity},
        {"gas mark 2.5", "en|Temperatures|Gas Mark|2.5||-|Gas Mark", NotAMark},
        {"too low for a gas mark", "en|Temperatures|Fahrenheit|262||-|Gas Mark", TooLow},
        {"too high, after a result", "en|Temperatures|Celcius|300|Fahrenheit|-|Gas Mark", TooHigh},
        // An overflow once ended the request silently, leaving a line for other units.
        {"overflow, after a result", "en|Weights|Kilogram|1E+308|Kilogram|-|Milligram", TooLarge},
        // A typed name once counted as a pick; the category is checked before the quantity.
        {"typed name and Return", "en|Weights|Pound|abc||weights\r|Kilogram", InvalidCategory},
        // Typing over the category picks nothing, even a name of the list: the units stay, and
        // the request goes by the text, whose calculator knows no pound.
        {"typed name of the list and Tab", "en|Weights|Pound|2||Volumes\t|Kilogram", "2 Pounds = 0 Kilogram"},
        {"category emptied, after a result", "en|Weights|Pound|2|Kilogram||Gram", InvalidCategory},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString(row.steps).split(u'|') << row.expected;
}

// A failed request shows one message, titled "Invalid Value" with the stop icon, moves
// the focus as its kind asks and leaves the result and the To list as they were; only a
// refused quantity makes the quantity step wait again.
void TestFrmGuiFlow::requests()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    useLocale(steps[0]);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory(steps[1]);
    QVERIFY(c.click(c.lstFrom, steps[2]));
    c.type(steps[3]);
    if (!steps[4].isEmpty()) {
        QVERIFY(c.click(c.lstTo, steps[4]) && !c.txtResult->text().isEmpty());
        c.window.tmrStop_Timer();   // the first flash is over
    }
    if (steps[5] != u"-")
        c.editCategory(steps[5]);
    const QString before = c.txtResult->text(), quantity = c.txtQuantity->text();
    if (steps[6] == u"Up" || steps[6] == u"Down")
        QTest::keyClick(c.lstTo, steps[6] == u"Up" ? Qt::Key_Up : Qt::Key_Down);
    else
        QVERIFY(c.click(c.lstTo, steps[6]));

    const bool refused =
        QStringList{InvalidCategory, InvalidQuantity, TooLow, TooHigh, NotAMark, TooLarge}.contains(expected);
    QCOMPARE(c.fakes.messages.shown.size(), refused ? 1 : 0);
    QVERIFY(!c.tmrTo->isActive() && c.lstTo->isEnabled() && looks(c.lstTo, true));
    if (!refused) {
        QCOMPARE(c.txtResult->text(), expected.isEmpty() ? before : expected);
        QCOMPARE(c.tmrResult->isActive(), !expected.isEmpty());   // a new line is greeted by the flash
        QVERIFY(c.lstTo->hasFocus());
        return;
    }
    const ShownMessage shown = c.fakes.messages.shown.first();
    QCOMPARE(shown.text, expected);
    QVERIFY(shown.title == InvalidValue && shown.style == StopIcon);
    QVERIFY(c.txtResult->text() == before && c.txtQuantity->text() == quantity && !c.tmrResult->isActive());
    QCOMPARE(selectedText(c.lstTo), steps[6]);
    QCOMPARE(c.tmrQuantity->isActive(), expected == InvalidQuantity);
    QCOMPARE(c.window.CurrentCategory, steps[1]);
    if (expected == InvalidCategory)
        QVERIFY(c.cmbCategory->hasFocus());
    else
        QVERIFY(c.txtQuantity->hasFocus() && c.wholeQuantitySelected());
}

void TestFrmGuiFlow::guide_data()
{
    // Steps a person takes ("category", "from", "type" or "to", then what; "wheel up" over the
    // category box), and after each:
    // the To list, the line, and each pointer from the radish to the pepper ("*" turning,
    // "-" hidden, else the picture it rests on).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("after");
    const QString picked = "locked||Radis1 * * -", line = "open|2 Pounds = 0.909 Kilogram|Radis1 Carotte1 Tomate1 Poivron1";
    QTest::newRow("From, then the quantity; another From after the result")
        << QStringList{"category Weights", "from Pound", "type 2", "to Kilogram", "from Gram"}
        << QStringList{picked, "locked||Radis1 * Tomate1 -", "open||Radis1 Carotte1 Tomate1 *", line,
                       "open||Radis1 Carotte1 Tomate1 *"};
    QTest::newRow("the quantity, then From; a key after the result")
        << QStringList{"category Weights", "type 2", "from Pound", "to Kilogram", "type 5"}
        << QStringList{picked, "locked||Radis1 Carotte1 * -", "open||Radis1 Carotte1 Tomate1 *", line,
                       "open||Radis1 Carotte1 Tomate1 *"};
    QTest::newRow("a category again after the result")
        << QStringList{"category Weights", "from Pound", "type 2", "to Kilogram", "category Lengths"}
        << QStringList{picked, "locked||Radis1 * Tomate1 -", "open||Radis1 Carotte1 Tomate1 *", line, picked};
    // The wheel picks without taking the focus from the quantity box, whose placeholder must
    // still be wholly selected for the first key to replace it.
    QTest::newRow("a category by the wheel, the focus left in the quantity")
        << QStringList{"category Weights", "type 5", "wheel up", "type 2", "from Cup", "to Litre"}
        << QStringList{picked, "locked||Radis1 Carotte1 * -", picked, "locked||Radis1 Carotte1 * -",
                       "open||Radis1 Carotte1 Tomate1 *", "open|2 Cups = 0.472 Litre|Radis1 Carotte1 Tomate1 Poivron1"};
}

// The To list opens once both the From unit and the quantity are given, in either order;
// every step empties the line; a finished step's pointer rests on its first picture, and
// the pepper stands on its first beside a result.
void TestFrmGuiFlow::guide()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, after);
    Converter c;
    QVERIFY(c.open());
    const std::pair<QLabel*, QTimer*> pointers[] = {{c.imgCategory, c.tmrCategory}, {c.imgQuantity, c.tmrQuantity},
                                                    {c.imgFrom, c.tmrFrom}, {c.imgTo, c.tmrTo}};
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString what = steps[i].section(u' ', 0, 0), arg = steps[i].section(u' ', 1);
        if (what == u"category")
            c.pickCategory(arg);
        else if (what == u"wheel")
            wheel(c.cmbCategory, 120);
        else if (what == u"type")
            c.type(arg);
        else
            QVERIFY(c.click(what == u"from" ? c.lstFrom : c.lstTo, arg));
        QStringList shown;
        for (const auto& [image, timer] : pointers) {
            QString key = image->isHidden() ? "-" : timer->isActive() ? "*" : "?";
            for (const QString& stored : ImageList::keys())
                if (key == u"?" && shows(image, stored))
                    key = stored;
            shown << key;
        }
        const bool open = c.lstTo->isEnabled() && looks(c.lstTo, true);
        QCOMPARE(QStringList({open ? "open" : "locked", c.txtResult->text(), shown.join(u' ')}).join(u'|'), after[i]);
    }
}

void TestFrmGuiFlow::quantityEdits_data()
{
    // Over "12" with the caret between its digits, after a result: the edit, the text
    // after it, and whether it counts as giving the quantity.
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gives");
    QTest::newRow("context menu Paste, at the caret") << "menu Paste" << "132" << true;
    QTest::newRow("Delete key") << "Delete" << "1" << false;
    QTest::newRow("a digit") << "5" << "152" << true;
}

// Every edit of the quantity empties the line, with or without a key; only the keys that do
// not type a character leave the quantity step as it was. A return of the focus from the
// box's own context menu selects nothing, so Paste pastes at the caret.
void TestFrmGuiFlow::quantityEdits()
{
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(bool, gives);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory("Weights");
    c.type("12");
    QVERIFY(c.click(c.lstFrom, "Pound"));
    QVERIFY(c.click(c.lstTo, "Gram"));
    QVERIFY(!c.txtResult->text().isEmpty());
    // Back in the box with the caret after the 1, as a click there leaves it, and quantity
    // waiting again as after a refused request.
    QTest::mouseClick(c.txtQuantity, Qt::LeftButton);
    c.txtQuantity->setCursorPosition(1);
    c.window.StartStepPointer(frmGUI::Step::Quantity);
    QApplication::clipboard()->setText("3");

    if (edit == u"menu Paste")
        QVERIFY(c.pasteFromMenu("3"));
    else
        QTest::keySequence(c.txtQuantity, QKeySequence(edit));
    QCOMPARE(c.txtQuantity->text(), text);
    QCOMPARE(c.txtResult->text().isEmpty(), text != u"12");
    QCOMPARE(c.tmrQuantity->isActive(), !gives);
    QVERIFY(c.txtQuantity->hasFocus());
}

// The focus that comes back to the quantity box with the window's activation selects its
// text a turn of the event loop later; what the user does in that moment is not undone by it.
void TestFrmGuiFlow::focusFromActivation_data()
{
    QTest::addColumn<QString>("meanwhile");   // done before the loop turns
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::newRow("nothing") << "" << "12" << "12";
    QTest::newRow("a digit typed") << "5" << "125" << "";
    QTest::newRow("a click") << "click" << "12" << "";
    QTest::newRow("focus gone") << "Tab" << "12" << "";
}

void TestFrmGuiFlow::focusFromActivation()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    Converter c;
    QVERIFY(c.open());
    c.pickCategory("Weights");
    c.type("12");
    QVERIFY(c.txtQuantity->hasFocus() && !c.txtQuantity->hasSelectedText());
    // What Qt sends the focus widget of a window being activated again.
    QFocusEvent activated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(c.txtQuantity, &activated);
    if (meanwhile == u"click")
        QTest::mouseClick(c.txtQuantity, Qt::LeftButton, {}, c.txtQuantity->rect().center());
    else if (meanwhile == u"Tab")
        QTest::keyClick(c.txtQuantity, Qt::Key_Tab);
    else if (!meanwhile.isEmpty())
        QTest::keyClicks(c.txtQuantity, meanwhile);
    QCoreApplication::processEvents();
    QCOMPARE(c.txtQuantity->text(), text);
    QCOMPARE(c.txtQuantity->selectedText(), selected);
    QCOMPARE(c.txtQuantity->hasFocus(), meanwhile != u"Tab");
}

// ---- Random session ---------------------------------------------------------------

namespace {

// The flow as it must be, worked out from the user's actions alone.
struct Expected {
    bool picked = false, fromPending = false, quantityPending = false, toUsable = false;
    bool quantityRejected = false;   // the last request refused the quantity
    QString category, result;
    int fromRow = -1, toRow = -1;
};

// The line a request writes for these inputs, as a pattern: the quantity as typed and both
// units in their number's form, the number written as the locale writes it.
QString linePattern(const QString& category, const QString& quantityText, const QString& from, const QString& to)
{
    const QString mark = "Gas Mark ", degrees = "° ";
    const auto quoted = [](const QString& s) { return QRegularExpression::escape(s); };
    const QString number =
        QStringLiteral(R"((?!-0(?!%1))-?((0|[1-9]\d*)(%1\d{0,%2}[1-9])?|[1-9](%1\d*[1-9])?E[+-]\d\d+))")
            .arg(quoted(QLocale().decimalPoint()))
            .arg(category == u"Temperatures" ? 0 : 2);
    if (category == u"Temperatures")
        return quoted((from == u"Gas Mark" ? mark + quantityText : quantityText + degrees + from) + " = ")
               + (to == u"Gas Mark" ? quoted(mark) + number : number + quoted(degrees + to));
    const double quantity = quantityOf(quantityText).value_or(0);
    return quoted(quantityText + u' ' + plural(from, std::fabs(quantity)) + " = ") + number + " (" + quoted(to)
           + '|' + quoted(plural(to, 2)) + ')';
}

// How a hand changes a unit list's selection; the keys' outcome is left to the list.
enum ListWay { Click, PressMoveRelease, Drag, PressRelease, RightClick, MiddleClick, CtrlClick, CtrlSpace,
               TypeAhead, MovingKey, BlankClick, ListWheel, ListWays };

struct Session {
    explicit Session(quint64 seed) : random(seed) {}
    QRandomGenerator random;
    std::unique_ptr<Converter> c;
    Expected e;
    QMap<QString, int> outcomes;   // how the requests ended, by message (empty: a line)
    QMap<QString, int> drawn;      // how often each kind of input was drawn
    QStringList log;
    int index = 0;
    // The line a failed To pick leaves standing, and the inputs it was refused for.
    struct Kept { QString line, quantity, from, to; } kept;
    // Before the last pick of the To list during one input: the messages shown and the line.
    qsizetype messagesSeen = 0, messagesBeforePick = 0;
    QString lineSeen, lineBeforePick, untrueDuringInput;

    int below(int n) { return int(random.bounded(n)); }
    // Logs an action; one of a kind of input is counted under that kind too.
    void note(const QString& what, const QString& kind = {})
    {
        log << QString::number(index) + QStringLiteral(": ") + what;
        if (!kind.isEmpty())
            ++drawn[kind];
    }

    bool reopen()
    {
        c.reset();
        useLocale(below(2) ? "de" : "en");
        c = std::make_unique<Converter>();
        e = Expected{};
        kept = {};
        note("new window, locale " + QLocale().name());
        // Runs after the window's own handler: the line must be true after every pick, the
        // ones in the middle of a drag too.
        QObject::connect(qobject_cast<UnitListBox*>(c->lstTo), &UnitListBox::picked, &c->window, [this] {
            // A refused pick leaves the last good line standing beside the units it was refused for.
            const qsizetype shown = c->fakes.messages.shown.size();
            if (shown > messagesSeen)
                kept = {lineSeen, c->txtQuantity->text(), selectedText(c->lstFrom), selectedText(c->lstTo)};
            if (untrueDuringInput.isEmpty())
                untrueDuringInput = shown - messagesSeen > 1 ? "a pick showed two messages" : untrue();
            messagesBeforePick = std::exchange(messagesSeen, shown);
            lineBeforePick = std::exchange(lineSeen, c->txtResult->text());
        });
        return c->open();
    }

    void stepDone(bool& pending)
    {
        pending = e.quantityRejected = false;
        e.toUsable = !e.fromPending && !e.quantityPending;
        e.result.clear();
    }

    // Numbers of every size, past the double's range and with more digits than it holds,
    // sometimes with the other locale's separator or with digit grouping.
    QString randomNumber()
    {
        const QString sign = below(5) ? "" : "-", own = QLocale().decimalPoint();
        const QString other = own == u"." ? "," : ".";
        const QString point = below(8) ? own : other;
        const auto n = [this](int limit) { return QString::number(below(limit)); };
        const QString forms[] = {n(1000), n(1000) + point + n(100000), u'0' + point + n(100000),
            QString::number(1 + below(9)) + "E+" + QString::number(below(2) ? below(311) : 300 + below(9)),
            QString::number(1 + below(99999999)) + n(100000000).rightJustified(8, u'0'),
            QString::number(1 + below(999)) + other + n(1000).rightJustified(3, u'0')};   // "1,000", "0.455"
        return sign + forms[below(6)];
    }

    // The line is empty, or true to the quantity in the box and the units selected now, or
    // the line a refused To pick kept, while nothing it was refused for has changed.
    QString untrue() const
    {
        const QString line = c->txtResult->text(), from = selectedText(c->lstFrom), to = selectedText(c->lstTo);
        const QString quantity = c->txtQuantity->text();
        if (line.isEmpty() || (line == kept.line && quantity == kept.quantity && from == kept.from && to == kept.to))
            return QString();
        if (from.isEmpty() || to.isEmpty())
            return "the line \"" + line + "\" stands beside a list with no unit selected";
        // The category box's text at the request chose the line's form: degrees, or plain numbers.
        for (const QString category : {"Temperatures", "Weights"})
            if (QRegularExpression('^' + linePattern(category, quantity, from, to) + '$').match(line).hasMatch())
                return QString();
        return QStringLiteral("the line \"%1\" is not the one for \"%2\" %3 to %4").arg(line, quantity, from, to);
    }

    QPoint rowPoint(QListWidget* list, int row) const { return list->visualItemRect(list->item(row)).center(); }

    QList<int> visibleRows(QListWidget* list) const
    {
        QList<int> rows;
        for (int row = 0; row < list->count(); ++row)
            if (list->viewport()->rect().contains(list->visualItemRect(list->item(row))))
                rows << row;
        return rows;
    }

    // One random input in a unit list. The rows the left button lands on, pressed, moved
    // over and released, in order, are what the selection must follow; `click` marks a
    // press and release on one entry.
    struct ListInput { ListWay way; QList<int> path; bool click = false; };

    ListInput listInput(QListWidget* list)
    {
        QWidget* viewport = list->viewport();
        ListInput in{ListWay(below(ListWays)), {}};
        const int a = list->count() ? below(list->count()) : -1;
        if (a >= 0)
            list->scrollToItem(list->item(a));
        const QList<int> visible = visibleRows(list);
        const int b = visible.isEmpty() ? -1 : visible[below(int(visible.size()))];
        const QPoint blank(4, viewport->height() - 2);
        const int selectedBefore = selectedRow(list);
        // Keys reach the list a person has gone to.
        if (in.way >= CtrlSpace && in.way <= MovingKey && list->isEnabled())
            list->setFocus();
        switch (in.way) {
        case Click:
        case CtrlClick:
            if (a < 0)
                break;
            QTest::mouseClick(viewport, Qt::LeftButton, in.way == Click ? Qt::NoModifier : Qt::ControlModifier,
                              rowPoint(list, a));
            in.path = {a};
            in.click = true;
            break;
        case PressMoveRelease:
        case PressRelease:
        case Drag:
            if (a < 0)
                break;
            QTest::mousePress(viewport, Qt::LeftButton, {}, rowPoint(list, a));
            in.path = {a};
            if (in.way == Drag) {
                for (int row = a; row != b; row += b > a ? 1 : -1) {
                    QTest::mouseMove(viewport, rowPoint(list, row + (b > a ? 1 : -1)));
                    in.path << row + (b > a ? 1 : -1);
                }
            } else if (in.way == PressMoveRelease) {
                QTest::mouseMove(viewport, rowPoint(list, b));
                in.path << b;
            }
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowPoint(list, b));
            // A press on the entry already selected may begin a drag, so the view leaves the
            // selection to the release: the entry under it is selected then.
            if (in.way == PressRelease && a == selectedBefore)
                in.path << b;
            in.click = a == b;
            break;
        case RightClick:
        case MiddleClick:
            QTest::mouseClick(viewport, in.way == RightClick ? Qt::RightButton : Qt::MiddleButton, {},
                              a >= 0 ? rowPoint(list, a) : blank);
            break;
        case BlankClick:
            // Below the last entry where the list is not full; on an entry it would be a click.
            if (b >= 0 && list->visualItemRect(list->item(list->count() - 1)).bottom() >= blank.y())
                break;
            QTest::mouseClick(viewport, Qt::LeftButton, {}, blank);
            break;
        case ListWheel:
            wheel(viewport, below(2) ? 120 : -120);
            break;
        case CtrlSpace:
            QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
            break;
        case TypeAhead:
            QTest::keyClick(list, "cfgklmopqt"[below(10)]);
            break;
        case MovingKey:
        case ListWays:
            QTest::keyClick(list, std::array{Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp,
                                             Qt::Key_PageDown}[below(6)]);
            break;
        }
        return in;
    }

    QString listAction(bool to)
    {
        QListWidget* list = to ? c->lstTo : c->lstFrom;
        const QList<ShownMessage>& messages = c->fakes.messages.shown;
        const qsizetype before = messages.size();
        const int was = selectedRow(list);
        const QString category = c->cmbCategory->currentText(), quantity = c->txtQuantity->text();
        QSignalSpy picks(list, SIGNAL(picked()));
        messagesSeen = messagesBeforePick = before;
        lineSeen = lineBeforePick = c->txtResult->text();
        const ListInput in = listInput(list);
        static const char* const names[] = {"click", "press, move, release", "drag", "press and release apart",
            "right click", "middle click", "Ctrl+click", "Ctrl+Space", "type-ahead", "moving key", "blank click",
            "wheel"};
        QStringList path;
        for (int row : in.path)
            path << QString::number(row);
        note(QStringLiteral("%1 list: %2 %3 (was %4; category \"%5\", quantity \"%6\")")
                 .arg(to ? "To" : "From", names[in.way], path.join(u'>')).arg(was).arg(category, quantity),
             QLatin1String(names[in.way]));

        // Each change of the selection is one pick; a click on the To unit already picked asks again.
        const bool usable = list->isEnabled();
        int expected = was, changes = 0;
        if (in.way >= CtrlSpace && in.way <= MovingKey) {
            expected = selectedRow(list);
            changes = expected != was;
            if (was >= 0 && expected < 0)
                return "a key left the list with no unit selected";
        } else if (usable) {
            for (int row : in.path)
                if (row != expected) {
                    expected = row;
                    ++changes;
                }
        }
        const bool again = to && usable && in.click && !changes && in.path.value(0) == was;
        if (selectedRow(list) != expected || picks.count() != changes + again)
            return QStringLiteral("selected row %1, %2 picks; expected row %3, %4 picks")
                .arg(selectedRow(list)).arg(picks.count()).arg(expected).arg(changes + again);
        if (!to) {
            if (changes && e.picked) {
                e.fromRow = expected;
                stepDone(e.fromPending);
            }
            return messages.size() == before ? QString() : QStringLiteral("a message without a request");
        }
        if (!changes && !again)
            return messages.size() == before ? QString() : QStringLiteral("a message without a request");
        if (!untrueDuringInput.isEmpty())
            return "during the input: " + untrueDuringInput;
        // Each pick is a request of its own; the last one decides what stands now.
        e.toRow = expected;
        e.result = lineBeforePick;
        return request(category, quantity, messagesBeforePick);
    }

    QString act()
    {
        const QList<ShownMessage>& messages = c->fakes.messages.shown;
        const qsizetype before = messages.size();
        untrueDuringInput.clear();
        const int roll = below(1000), k = below(4);
        if (roll < 70) {   // a pick from the category box's list
            note("pick " + Categories[k], "category pick");
            c->pickCategory(Categories[k]);
            return categoryPicked();
        } else if (roll < 90) {   // the category box's keys or the wheel over it
            const int was = c->cmbCategory->currentIndex();
            QSignalSpy activated(c->cmbCategory, &QComboBox::activated);
            if (k < 2) {
                note(k ? "Down in the category box" : "Up in the category box", "category key");
                QTest::keyClick(c->cmbCategory, k ? Qt::Key_Down : Qt::Key_Up);
            } else {
                note("wheel over the category box", "category wheel");
                wheel(c->cmbCategory, k == 2 ? 120 : -120);
            }
            if (activated.count() != (c->cmbCategory->currentIndex() != was))
                return "a pick without a move in the list, or a move without a pick";
            return activated.count() ? categoryPicked() : QString();
        } else if (roll < 120) {   // typing or pasting over the category box's text
            const QString text = QStringList{"weights", "Volumes", "WEIGHTS", " Lengths", "", "Temperatures"}[below(6)];
            const bool paste = below(2);
            const int finish = below(3);
            note(QStringLiteral("%1 \"%2\" over the category, then %3")
                     .arg(paste ? "paste" : "type", text, QStringList{"Return", "Tab", "a click elsewhere"}[finish]),
                 paste ? "category paste" : "category typing");
            c->editCategory(text, paste);
            if (finish == 0)
                QTest::keyClick(c->cmbCategory->lineEdit(), Qt::Key_Return);
            else if (finish == 1)
                QTest::keyClick(c->cmbCategory->lineEdit(), Qt::Key_Tab);
            else
                QTest::mouseClick(c->txtResult, Qt::LeftButton);
        } else if (roll < 260) {   // the From list
            return listAction(false);
        } else if (roll < 540) {   // the quantity box
            return quantityAction();
        } else if (roll < 820) {   // the To list
            return listAction(true);
        } else if (roll < 985) {   // a timer falls due
            const QByteArray timer = std::array{
                "tmrCategory", "tmrQuantity", "tmrFrom", "tmrTo", "tmrResult", "tmrStop"}[below(6)];
            note("tick " + timer);
            if (c->find<QTimer>(timer)->isActive())
                QMetaObject::invokeMethod(&c->window, (timer + "_Timer").constData());
        } else {   // a menu item or a link, which leave the flow alone (Exit: the user starts afresh)
            const QByteArray target =
                std::array{"mnuExit", "mnuAbout", "mnuGoToURL", "lblURL", "lblLearn", "imgLogo"}[below(6)];
            note(target);
            if (QAction* action = c->find<QAction>(target))
                action->trigger();
            else
                QTest::mouseClick(c->find<QLabel>(target), Qt::LeftButton);
            if (target == "mnuExit")
                return c->window.isVisible() ? "Exit left the window open" : reopen() ? "" : "no new window";
        }
        return messages.size() == before ? QString() : QStringLiteral("a message without a request");
    }

    QString categoryPicked()
    {
        e = Expected{};
        e.picked = e.fromPending = e.quantityPending = true;
        e.category = c->cmbCategory->currentText();
        // The placeholder has the focus, wholly selected, so the first key replaces it.
        if (c->txtQuantity->text() != Placeholder || !c->txtQuantity->hasFocus() || !c->wholeQuantitySelected()
            || !looks(c->txtQuantity, true) || !c->imgTo->isHidden())
            return "the quantity box or the pepper after a pick";
        return QString();
    }

    QString quantityAction()
    {
        static const QStringList keys{"0", "5", "9", ".", ",", "-", "E", "a", " ", "\b", "\b", "\r", "\x1b"};
        const QString text = c->txtQuantity->text();
        const int way = below(20);
        bool counts = false;
        if (way < 12) {   // a key that types a character
            const QString typed = keys[below(int(keys.size()))];
            note("type \"" + typed + '"', "quantity key");
            c->type(typed);
            counts = true;
        } else if (way < 15) {   // a whole number typed over it
            const QString typed = randomNumber();
            note("type \"" + typed + "\" over the quantity", "quantity number");
            if (c->txtQuantity->isEnabled())
                c->txtQuantity->selectAll();
            c->type(typed);
            counts = true;
        } else if (way < 18) {   // Delete, or a key that only moves
            const auto key = std::array{Qt::Key_Delete, Qt::Key_Left, Qt::Key_Home, Qt::Key_End}[below(4)];
            note(key == Qt::Key_Delete ? "Delete" : "a key that moves", "quantity Delete or moving key");
            QTest::keyClick(c->txtQuantity, key);
            if (c->txtQuantity->text() != text)   // the line would no longer be the quantity's
                e.result.clear();
        } else if (way == 18) {   // pasted, by the keys or from the box's context menu
            const QString pasted = below(2) ? randomNumber() : QStringLiteral("x1");
            const bool menu = below(2) && c->txtQuantity->isEnabled();
            note(QStringLiteral("paste \"%1\" into the quantity%2").arg(pasted, menu ? " from its menu" : ""),
                 menu ? "quantity menu paste" : "quantity Ctrl+V");
            if (c->txtQuantity->isEnabled())
                c->txtQuantity->setFocus();
            if (menu && !c->pasteFromMenu(pasted))
                return "no Paste in the quantity box's context menu";
            if (!menu) {
                QApplication::clipboard()->setText(pasted);
                QTest::keyClick(c->txtQuantity, Qt::Key_V, Qt::ControlModifier);
            }
            counts = c->txtQuantity->isEnabled();
        } else {   // the wheel over the quantity or the result box
            note("wheel over a box", "wheel over a box");
            wheel(below(2) ? static_cast<QWidget*>(c->txtQuantity) : c->txtResult, 120);
        }
        if (e.picked && counts)
            stepDone(e.quantityPending);
        return QString();
    }

    QString request(const QString& category, const QString& quantityText, qsizetype before)
    {
        const QList<ShownMessage>& messages = c->fakes.messages.shown;
        const qsizetype shown = messages.size() - before;
        const QString text = shown ? messages.last().text : QString();
        ++outcomes[text];
        if (shown > 1 || c->tmrTo->isActive()
            || (shown && (messages.last().title != InvalidValue || messages.last().style != StopIcon)))
            return QStringLiteral("%1 messages, the last \"%2\", or a turning pepper").arg(shown).arg(text);
        const std::optional<double> quantity = quantityOf(quantityText);
        const QString expected = !Categories.contains(category) ? InvalidCategory
                                 : !quantity                     ? InvalidQuantity
                                                                 : QString();
        // Beyond those, only an overflow or a temperature out of the gas marks may fail.
        const bool gasMarks = category == u"Temperatures" && QStringList{TooLow, TooHigh, NotAMark}.contains(text);
        if (text != expected && !(expected.isEmpty() && (text == TooLarge || gasMarks)))
            return QStringLiteral("%1 \"%2\" gave \"%3\"").arg(category, quantityText, text);
        if (shown) {   // a failed request keeps the old line, for as long as nothing changes
            if (text == InvalidCategory)
                return c->cmbCategory->hasFocus() ? "" : "the focus is not on the category box";
            if (!quantity)
                e.quantityPending = e.quantityRejected = true;
            return c->txtQuantity->hasFocus() && c->wholeQuantitySelected()
                       ? ""
                       : "the quantity is not focused and selected";
        }
        // The line names the quantity as typed and both units, its number as the locale writes it.
        e.result = c->txtResult->text();
        const QString pattern = linePattern(category, quantityText, selectedText(c->lstFrom), selectedText(c->lstTo));
        if (!QRegularExpression('^' + pattern + '$').match(e.result).hasMatch())
            return "line \"" + e.result + "\" is not " + pattern;
        return c->tmrResult->isActive() ? QString() : "no flash greets the result";
    }

    QString check() const
    {
        const bool toUsable = c->lstTo->isEnabled();
        const QStringList units = unitsOf(e.category);
        const std::pair<bool, const char*> rules[] = {
            {c->window.CurrentCategory == e.category, "the remembered category"},
            {texts(c->lstFrom) == units && texts(c->lstTo) == units, "the lists' units"},
            {selectedRow(c->lstFrom) == e.fromRow && selectedRow(c->lstTo) == e.toRow, "the selections"},
            {c->txtQuantity->isEnabled() == e.picked && c->lstFrom->isEnabled() == e.picked,
                "the fields after a pick"},
            {c->tmrFrom->isActive() == e.fromPending && c->tmrQuantity->isActive() == e.quantityPending,
                "the steps"},
            {toUsable == e.toUsable && looks(c->lstTo, toUsable), "the To list's state"},
            // The flow's rule: To opens once neither step waits; a refused quantity leaves it open.
            {!e.picked
                    || toUsable
                           == (!c->tmrFrom->isActive()
                               && (!c->tmrQuantity->isActive() || e.quantityRejected)),
                "the To list against the steps"},
            // The guide: the radish turns until the first pick, the carrot and the tomato while
            // their step waits and rest on their first picture once it is done; the pepper turns
            // over a usable To list and stands still on its first picture beside a result.
            {c->tmrCategory->isActive() != e.picked && (!e.picked || shows(c->imgCategory, "Radis1")),
                "the radish"},
            {!e.picked
                    || (!c->imgQuantity->isHidden()
                        && (e.quantityPending || shows(c->imgQuantity, "Carotte1"))),
                "the carrot"},
            {!e.picked || (!c->imgFrom->isHidden() && (e.fromPending || shows(c->imgFrom, "Tomate1"))),
                "the tomato"},
            {!c->tmrTo->isActive() || (toUsable && !c->imgTo->isHidden()), "the turning pepper"},
            {e.result.isEmpty() || (!c->tmrTo->isActive() && shows(c->imgTo, "Poivron1")),
                "the pepper beside a result"},
            {!c->tmrResult->isActive() || (c->tmrStop->isActive() && !e.result.isEmpty()),
                "a flash without a line"},
            {c->txtResult->text() == e.result, "the result line"},
        };
        if (const QString problem = untrue(); !problem.isEmpty())
            return problem;
        for (const auto& [holds, what] : rules)
            if (!holds)
                return QStringLiteral("wrong: %1 (result \"%2\", expected \"%3\")")
                    .arg(QLatin1String(what), c->txtResult->text(), e.result);
        return QString();
    }
};

} // namespace

// Random user actions over one window, the flow checked after each; a failure prints the
// seed, and PELLIMOR_SEED repeats it.
void TestFrmGuiFlow::links_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("visited");   // the address turns purple once followed
    for (const bool opens : {true, false}) {
        const char* outcome = opens ? "opens" : "browser fails";
        QTest::addRow("menu, %s", outcome) << "mnuGoToURL" << opens << true;
        QTest::addRow("address, %s", outcome) << "lblURL" << opens << true;
        QTest::addRow("logo, %s", outcome) << "imgLogo" << opens << true;
        QTest::addRow("learn, %s", outcome) << "lblLearn" << opens << false;
    }
}

void TestFrmGuiFlow::links()
{
    QFETCH(QString, link);
    QFETCH(bool, opens);
    QFETCH(bool, visited);
    Converter c;
    QVERIFY(c.open());
    c.fakes.browser.answer = opens;
    if (auto* item = c.window.findChild<QAction*>(link))
        item->trigger();
    else
        QTest::mouseClick(c.find<QWidget>(link), Qt::LeftButton);

    QCOMPARE(c.fakes.browser.opened, QList<QUrl>{frmGUI::webAddress()});
    QCOMPARE(c.fakes.messages.shown.size(), opens ? 0 : 1);
    if (!opens) {
        const ShownMessage& shown = c.fakes.messages.shown.first();
        QCOMPARE(shown.text, "The web site could not be opened.");
        QCOMPARE(shown.style, int(Exclamation));
        QCOMPARE(shown.title, "Pellimor");
    }
    const QColor address = c.find<QLabel>("lblURL")->palette().color(QPalette::WindowText);
    QCOMPARE(address, visited ? QColor(128, 0, 128) : QColor(0, 0, 255));
}

void TestFrmGuiFlow::randomSession()
{
    bool seeded = false;
    quint64 seed = qEnvironmentVariable("PELLIMOR_SEED").toULongLong(&seeded);
    seed = seeded ? seed : QRandomGenerator::global()->generate64();
    const int wanted = qEnvironmentVariableIntValue("PELLIMOR_SESSION_ACTIONS"), actions = wanted > 0 ? wanted : 3000;
    Session session(seed);
    QString problem = session.reopen() ? QString() : QStringLiteral("the window did not open");
    for (; problem.isEmpty() && session.index < actions; ++session.index) {
        session.log = session.log.mid(session.log.size() - 15);
        problem = session.act();
        problem = problem.isEmpty() ? session.check() : problem;
    }
    if (!problem.isEmpty())
        QFAIL(qPrintable(QStringLiteral("action %1: %2 (repeat with PELLIMOR_SEED=%3); last actions:\n  %4")
                             .arg(session.index - 1).arg(problem).arg(seed).arg(session.log.join("\n  "))));
    // A session that never converted, or never failed, would have proved little.
    const auto& outcomes = session.outcomes;
    if (actions < 2000)
        return;
    QVERIFY(outcomes.value(QString()) && outcomes.value(InvalidCategory) && outcomes.value(InvalidQuantity));
    // Nor one that left a way of input out.
    const QStringList kinds{"category pick", "category key", "category wheel", "category typing",
        "category paste", "click", "press, move, release", "drag", "press and release apart", "right click",
        "middle click", "Ctrl+click", "Ctrl+Space", "type-ahead", "moving key", "blank click", "wheel",
        "quantity key", "quantity number", "quantity Delete or moving key", "quantity menu paste",
        "quantity Ctrl+V", "wheel over a box"};
    for (const QString& kind : kinds)
        QVERIFY2(session.drawn.value(kind) > 0, qPrintable("never drawn: " + kind));
    QCOMPARE(session.drawn.size(), kinds.size());
}

QTEST_MAIN(TestFrmGuiFlow)
#include "tst_frmgui_flow.moc"
