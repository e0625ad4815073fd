#include "catalogue/CollectionManager.h"
#include "fakes/FakeServices.h"
#include "ui/converter/ImageList.h"
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
const QString InvalidCategory =
    "The value in the Category list box is invalid.\n\nPlease select a valid value from the list.";
const QString InvalidQuantity =
    "You entered an invalid value.\n\nHere are some hints on how to fix the problem:\n\n"
    "- Make sure that you use digits only -- no letters, spaces or special characters -- except the "
    "decimal separator if required.\n\n- Make sure that you use the appropriate decimal separator. If "
    "your computer has a North American setting, the separator is a dot. If it has a European setting, "
    "the separator is usually a comma. Check your computer's regional settings in the Control Panel.";
const QString TooLow = "This temperature is too low for a gas mark. Please try another temperature.";
const QString TooHigh = "This temperature is too high for a gas mark. Please try another temperature.";
const QString NotAMark = "This is not a valid gas mark value. Please select an integer value between 1 and 9.";
const QString TooLarge = "The result of this conversion is too large to show.\n\nPlease enter a smaller value.";
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

    // The user clicks into the category box's text, selects it all and types over it.
    void editCategory(const QString& text)
    {
        QTest::mouseClick(cmbCategory->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text.isEmpty() ? QStringLiteral("\b") : text);
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
        {"inf", "en|Weights|Pound|inf||-|Kilogram", InvalidQuantity},
        {"dot in a comma locale", "de|Weights|Pound|1.5||-|Kilogram", InvalidQuantity},
        {"gas mark 2.5", "en|Temperatures|Gas Mark|2.5||-|Gas Mark", NotAMark},
        {"too low for a gas mark", "en|Temperatures|Fahrenheit|262||-|Gas Mark", TooLow},
        {"too high, after a result", "en|Temperatures|Celcius|300|Fahrenheit|-|Gas Mark", TooHigh},
        // An overflow once ended the request silently, leaving a line for other units.
        {"overflow, after a result", "en|Weights|Kilogram|1E+308|Kilogram|-|Milligram", TooLarge},
        // A typed name once counted as a pick; the category is checked before the quantity.
        {"typed name and Return", "en|Weights|Pound|abc||weights\r|Kilogram", InvalidCategory},
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

// ---- Random session ---------------------------------------------------------------

namespace {

// The flow as it must be, worked out from the user's actions alone.
struct Expected {
    bool picked = false, fromPending = false, quantityPending = false, toUsable = false;
    bool quantityRejected = false;   // the last request refused the quantity
    QString category, result;
    int fromRow = -1, toRow = -1;
};

struct Session {
    explicit Session(quint64 seed) : random(seed) {}
    QRandomGenerator random;
    std::unique_ptr<Converter> c;
    Expected e;
    QMap<QString, int> outcomes;   // how the requests ended, by message (empty: a line)
    QStringList log;
    int index = 0;

    int below(int n) { return int(random.bounded(n)); }
    void note(const QString& what) { log << QString::number(index) + QStringLiteral(": ") + what; }

    bool reopen()
    {
        c.reset();
        useLocale(below(2) ? "de" : "en");
        c = std::make_unique<Converter>();
        e = Expected{};
        note("new window, locale " + QLocale().name());
        return c->open();
    }

    void stepDone(bool& pending)
    {
        pending = e.quantityRejected = false;
        e.toUsable = !e.fromPending && !e.quantityPending;
        e.result.clear();
    }

    // Numbers of every size, past the double's range and with more digits than it holds,
    // sometimes with the other locale's separator.
    QString randomNumber()
    {
        const QString sign = below(5) ? "" : "-", own = QLocale().decimalPoint();
        const QString point = below(8) ? own : own == u"." ? "," : ".";
        const auto n = [this](int limit) { return QString::number(below(limit)); };
        const QString forms[] = {n(1000), n(1000) + point + n(100000), u'0' + point + n(100000),
            QString::number(1 + below(9)) + "E+" + QString::number(below(2) ? below(311) : 300 + below(9)),
            QString::number(1 + below(99999999)) + n(100000000).rightJustified(8, u'0')};
        return sign + forms[below(5)];
    }

    QString act()
    {
        const QList<ShownMessage>& messages = c->fakes.messages.shown;
        const qsizetype before = messages.size();
        const int roll = below(1000), k = below(4);
        if (roll < 100) {   // a pick from the category box's list
            note("pick " + Categories[k]);
            c->pickCategory(Categories[k]);
            e = Expected{};
            e.picked = e.fromPending = e.quantityPending = true;
            e.category = Categories[k];
            // The placeholder has the focus, wholly selected, so the first key replaces it.
            if (c->txtQuantity->text() != Placeholder || !c->txtQuantity->hasFocus() || !c->wholeQuantitySelected()
                || !looks(c->txtQuantity, true) || !c->imgTo->isHidden())
                return "the quantity box or the pepper after a pick";
        } else if (roll < 120) {   // typing over the category box's text
            const QString text = QStringList{"weights", "Volumes", "WEIGHTS", " Lengths", "", "Temp\r"}[below(6)];
            note("type \"" + text + "\" over the category");
            c->editCategory(text);
        } else if (roll < 250) {   // a click in the From list
            const int row = below(qMax(1, c->lstFrom->count()));
            note(QStringLiteral("click From row %1").arg(row));
            if (!c->clickRow(c->lstFrom, row)) {
                QTest::mouseClick(c->lstFrom->viewport(), Qt::LeftButton);   // lands on nothing
            } else if (e.picked && row != e.fromRow) {
                e.fromRow = row;
                stepDone(e.fromPending);
            }
        } else if (roll < 550) {   // a key, or a whole number typed over the quantity
            static const QStringList keys{"0", "5", "9", ".", ",", "-", "E", "a", " ", "\b", "\b", "\r", "\x1b"};
            const QString typed = k ? keys[below(int(keys.size()))] : randomNumber();
            const bool counts = below(5);   // Delete and the moving keys do not give the quantity
            note(counts ? "type \"" + typed + '"' : "a key that moves");
            if (!k && c->txtQuantity->isEnabled())
                c->txtQuantity->selectAll();
            if (counts)
                c->type(typed);
            else
                QTest::keyClick(c->txtQuantity, std::array{Qt::Key_Delete, Qt::Key_Left, Qt::Key_Home, Qt::Key_End}[k]);
            if (e.picked && counts)
                stepDone(e.quantityPending);
        } else if (roll < 820) {   // a click in the To list
            const QString category = c->cmbCategory->currentText(), quantity = c->txtQuantity->text();
            const int row = below(qMax(1, c->lstTo->count()));
            note(QStringLiteral("click To row %1 (category \"%2\", quantity \"%3\")").arg(row).arg(category, quantity));
            if (!c->clickRow(c->lstTo, row)) {
                QTest::mouseClick(c->lstTo->viewport(), Qt::LeftButton);
            } else if (e.toUsable) {   // a click on the selected row converts too
                e.toRow = row;
                return request(category, quantity, before);
            }
        } else if (roll < 985) {   // a timer falls due
            const QByteArray timer = std::array{
                "tmrCategory", "tmrQuantity", "tmrFrom", "tmrTo", "tmrResult", "tmrStop"}[below(6)];
            note("tick " + timer);
            if (c->find<QTimer>(timer)->isActive())
                QMetaObject::invokeMethod(&c->window, (timer + "_Timer").constData());
        } else {   // a menu item or a link, with a browser that sometimes fails
            const QByteArray target =
                std::array{"mnuExit", "mnuAbout", "mnuGoToURL", "lblURL", "lblLearn", "imgLogo"}[below(6)];
            c->fakes.browser.answer = below(4);
            const bool web = target != "mnuAbout" && target != "mnuExit", fails = !c->fakes.browser.answer;
            const qsizetype opened = c->fakes.browser.opened.size();
            QSignalSpy about(&c->window, &frmGUI::aboutRequested);
            note(target + (fails ? " (browser fails)" : ""));
            if (QAction* action = c->find<QAction>(target))
                action->trigger();
            else
                QTest::mouseClick(c->find<QLabel>(target), Qt::LeftButton);
            if (target == "mnuExit")   // and the user starts afresh
                return c->window.isVisible() ? "Exit left the window open" : reopen() ? "" : "no new window";
            const qsizetype sites = c->fakes.browser.opened.size() - opened, shown = messages.size() - before;
            if (sites != web || about.count() != !web || shown != (web && fails)
                || (shown && messages.last().title != u"Pellimor"))
                return QStringLiteral("%1 sites, %2 About, %3 messages").arg(sites).arg(about.count()).arg(shown);
            return QString();
        }
        return messages.size() == before ? QString() : QStringLiteral("a message without a request");
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
        bool ok = false;
        const double quantity = QLocale().toDouble(quantityText, &ok);
        const bool refused = !ok || !std::isfinite(quantity);
        const QString expected = !Categories.contains(category) ? InvalidCategory
                                 : refused                      ? InvalidQuantity
                                                                : QString();
        // Beyond those, only an overflow or a temperature out of the gas marks may fail.
        const bool gasMarks = category == u"Temperatures" && QStringList{TooLow, TooHigh, NotAMark}.contains(text);
        if (text != expected && !(expected.isEmpty() && (text == TooLarge || gasMarks)))
            return QStringLiteral("%1 \"%2\" gave \"%3\"").arg(category, quantityText, text);
        if (text == InvalidCategory)
            return c->cmbCategory->hasFocus() ? "" : "the focus is not on the category box";
        if (shown) {   // a failed request keeps the old line
            if (refused)
                e.quantityPending = e.quantityRejected = true;
            return c->txtQuantity->hasFocus() && c->wholeQuantitySelected()
                       ? ""
                       : "the quantity is not focused and selected";
        }
        // The line names the quantity as typed and both units, its number as the locale writes it.
        e.result = c->txtResult->text();
        const QString from = selectedText(c->lstFrom), to = selectedText(c->lstTo), mark = "Gas Mark ", degrees = "° ";
        const auto quoted = [](const QString& s) { return QRegularExpression::escape(s); };
        const QString number =
            QStringLiteral(R"((?!-0(?!%1))-?((0|[1-9]\d*)(%1\d{0,%2}[1-9])?|[1-9](%1\d*[1-9])?E[+-]\d\d+))")
                .arg(quoted(QLocale().decimalPoint()))
                .arg(category == u"Temperatures" ? 0 : 2);
        const QString pattern =
            category != u"Temperatures"
                ? quoted(quantityText + u' ' + plural(from, std::fabs(quantity)) + " = ") + number + " ("
                      + quoted(to) + '|' + quoted(plural(to, 2)) + ')'
                : quoted((from == u"Gas Mark" ? mark + quantityText : quantityText + degrees + from) + " = ")
                      + (to == u"Gas Mark" ? quoted(mark) + number : number + quoted(degrees + to));
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
    if (actions >= 2000)
        QVERIFY(outcomes.value(QString()) && outcomes.value(InvalidCategory) && outcomes.value(InvalidQuantity));
}

QTEST_MAIN(TestFrmGuiFlow)
#include "tst_frmgui_flow.moc"
