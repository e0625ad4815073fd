#include "fuzz/RequestFuzz.h"

#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pellimor::fuzz {

namespace {

const QString InvalidValue = QStringLiteral("Invalid Value");
const QString GasMark = QStringLiteral("Gas Mark");

// The program's messages, written out again here: a message that drifts from these
// words is a finding too.
struct KnownMessage {
    Outcome outcome;
    QString text;
};

const std::array<KnownMessage, 6>& knownMessages()
{
    static const std::array<KnownMessage, 6> known{{
        {Outcome::InvalidCategory,
         QStringLiteral("The value in the Category list box is invalid.\n\n"
                        "Please select a valid value from the list.")},
        {Outcome::InvalidQuantity,
         QStringLiteral("You entered an invalid value.\n\n"
                        "Here are some hints on how to fix the problem:\n\n"
                        "- Make sure that you use digits only -- no letters, spaces or special "
                        "characters -- except the decimal separator if required.\n\n"
                        "- Make sure that you use the appropriate decimal separator. If your "
                        "computer has a North American setting, the separator is a dot. If it "
                        "has a European setting, the separator is usually a comma. Check your "
                        "computer's regional settings in the Control Panel.")},
        {Outcome::TooLowForGasMark,
         QStringLiteral("This temperature is too low for a gas mark. "
                        "Please try another temperature.")},
        {Outcome::TooHighForGasMark,
         QStringLiteral("This temperature is too high for a gas mark. "
                        "Please try another temperature.")},
        {Outcome::NotAGasMark,
         QStringLiteral("This is not a valid gas mark value. "
                        "Please select an integer value between 1 and 9.")},
        {Outcome::TooLarge,
         QStringLiteral("The result of this conversion is too large to show.\n\n"
                        "Please enter a smaller value.")},
    }};
    return known;
}

const QLocale& localeOf(std::size_t index)
{
    static const QLocale dot(QLocale::English, QLocale::UnitedStates);
    static const QLocale comma(QLocale::German, QLocale::Germany);
    return index == 0 ? dot : comma;
}

// Names a user could leave in the category box that are none of the four.
QString editedCategory(const QString& picked, int variant)
{
    switch (variant) {
    case 5: return picked.toLower();
    case 6: return picked + QLatin1Char(' ');
    default: return QStringLiteral("(Select a category)");
    }
}

struct Window {
    test::FakeServices fakes;
    frmGUI gui{fakes.services()};
    QComboBox* cmbCategory = gui.findChild<QComboBox*>(QStringLiteral("cmbCategory"));
    QLineEdit* txtQuantity = gui.findChild<QLineEdit*>(QStringLiteral("txtQuantity"));
    QListWidget* lstFrom = gui.findChild<QListWidget*>(QStringLiteral("lstFrom"));
    QListWidget* lstTo = gui.findChild<QListWidget*>(QStringLiteral("lstTo"));
    QLineEdit* txtResult = gui.findChild<QLineEdit*>(QStringLiteral("txtResult"));
};

QApplication* g_application = nullptr;
Window* g_window = nullptr;
Tally g_tally{};
QString g_lastReport;

// What was asked, kept for the report of a finding.
struct Request {
    std::size_t locale = 0;
    QString category;        // as picked
    bool categoryEdited = false;
    QString fromUnit;
    QString toUnit;
    QString quantityText;    // as the box holds it
    double quantity = 0;     // the text read under the locale, when it reads
    bool readsAsNumber = false;
};

[[noreturn]] void fail(const Request& request, const char* what, const QString& detail = {})
{
    std::fprintf(stderr,
                 "Ill-formed outcome: %s\n"
                 "  locale %s, category \"%s\"%s, \"%s\" to \"%s\", quantity text \"%s\"\n"
                 "  %s\n",
                 what, localeName(request.locale), qUtf8Printable(request.category),
                 request.categoryEdited ? " (then edited)" : "", qUtf8Printable(request.fromUnit),
                 qUtf8Printable(request.toUnit), qUtf8Printable(request.quantityText),
                 qUtf8Printable(detail));
    std::fflush(stderr);
    std::abort();
}

QString pluralOf(const QString& unit)
{
    if (unit == QLatin1String("Inch"))
        return QStringLiteral("Inches");
    if (unit == QLatin1String("Foot"))
        return QStringLiteral("Feet");
    return unit + QLatin1Char('s');
}

// A number of the result line: at most 15 significant digits, the locale's separator,
// no grouping, no trailing zeros, no more decimals than the line rounds to, a plain
// "0" for zero, scientific form only from 1E+15 on. Returns its value.
double checkNumber(const Request& request, const QString& number, int decimals)
{
    if (number.contains(QLatin1String("nan"), Qt::CaseInsensitive)
        || number.contains(QLatin1String("inf"), Qt::CaseInsensitive))
        fail(request, "the number is not finite", number);

    static const std::array<QRegularExpression, LocaleCount> shapes = [] {
        std::array<QRegularExpression, LocaleCount> made;
        for (std::size_t i = 0; i < LocaleCount; ++i)
            made[i] = QRegularExpression(
                QStringLiteral("^(-?)([0-9]+)(?:%1([0-9]*[1-9]))?(?:E([+-])([0-9]{2,3}))?$")
                    .arg(QRegularExpression::escape(localeOf(i).decimalPoint())));
        return made;
    }();
    const QRegularExpressionMatch match = shapes[request.locale].match(number);
    if (!match.hasMatch())
        fail(request, "the number is not written as a plain number of this locale", number);

    const QString whole = match.captured(2);
    const QString fraction = match.captured(3);
    const bool scientific = match.hasCaptured(4);
    QString digits = whole + fraction;
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.isEmpty() && number != QLatin1String("0"))
        fail(request, "zero is not written as \"0\"", number);
    if (digits.size() > 15)
        fail(request, "more than 15 significant digits", number);
    if (scientific) {
        if (whole.size() != 1 || whole == QLatin1String("0") || match.captured(4) != QLatin1String("+")
            || match.captured(5).toInt() < 15)
            fail(request, "scientific form for a number that does not need it", number);
    } else {
        if (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
            fail(request, "leading zero", number);
        if (fraction.size() > decimals)
            fail(request, "more decimals than the line rounds to", number);
    }

    QString plain = number;
    plain.replace(localeOf(request.locale).decimalPoint(), QStringLiteral("."));
    return QLocale::c().toDouble(plain);
}

// "<quantity> <From> = <number> <To>", plurals decided by magnitude.
void checkUnitLine(const Request& request, const QString& line)
{
    const bool fromPlural = std::fabs(request.quantity) >= 2;
    const QString left = request.quantityText + QLatin1Char(' ')
                         + (fromPlural ? pluralOf(request.fromUnit) : request.fromUnit)
                         + QStringLiteral(" = ");
    if (!line.startsWith(left))
        fail(request, "the line does not begin with the quantity as typed and its unit", line);

    const QString singular = QLatin1Char(' ') + request.toUnit;
    const QString plural = QLatin1Char(' ') + pluralOf(request.toUnit);
    const QString rest = line.mid(left.size());
    const bool toPlural = rest.endsWith(plural);
    if (!toPlural && !rest.endsWith(singular))
        fail(request, "the line does not end with the To unit", line);
    const QString number = rest.chopped(toPlural ? plural.size() : singular.size());
    const double value = checkNumber(request, number, 3);

    // The plural follows the unrounded value, which rounding to 3 decimals keeps on the
    // same side of 2.
    if (toPlural ? std::fabs(value) < 2 : std::fabs(value) > 2)
        fail(request, "the To unit's plural does not match the number", line);
    // Every factor of these categories is positive.
    if ((request.quantity > 0 && value < 0) || (request.quantity < 0 && value > 0)
        || (request.quantity == 0 && value != 0))
        fail(request, "the number's sign differs from the quantity's", line);
}

// "<quantity>° <From> = <number>° <To>", with "Gas Mark <n>" on a gas-mark side.
void checkTemperatureLine(const Request& request, const QString& line)
{
    const QString degrees = QStringLiteral("\u00B0 ");
    const bool fromMark = request.fromUnit == GasMark;
    const QString left = (fromMark ? GasMark + QLatin1Char(' ') + request.quantityText
                                   : request.quantityText + degrees + request.fromUnit)
                         + QStringLiteral(" = ");
    if (!line.startsWith(left))
        fail(request, "the line does not begin with the quantity as typed and its unit", line);
    if (fromMark && !(request.quantity >= 1 && request.quantity <= 9
                      && request.quantity == std::floor(request.quantity)))
        fail(request, "a gas mark outside 1 to 9 was converted", line);

    const QString rest = line.mid(left.size());
    if (request.toUnit == GasMark) {
        static const QRegularExpression mark(QStringLiteral("^Gas Mark [1-9]$"));
        if (!mark.match(rest).hasMatch())
            fail(request, "the result is not a gas mark from 1 to 9", line);
        return;
    }
    const QString right = degrees + request.toUnit;
    if (!rest.endsWith(right))
        fail(request, "the line does not end with the To unit", line);
    checkNumber(request, rest.chopped(right.size()), 1);
}

void checkMessage(const Request& request, const test::ShownMessage& message, const QString& resultText)
{
    if (message.title != InvalidValue || message.style != Critical)
        fail(request, "a message with another title or style",
             message.title + QStringLiteral(" / ") + QString::number(message.style));
    const KnownMessage* known = nullptr;
    for (const KnownMessage& candidate : knownMessages())
        if (candidate.text == message.text)
            known = &candidate;
    if (!known)
        fail(request, "a message that is none of the program's", message.text);
    if (!resultText.isEmpty())
        fail(request, "a failed request wrote a result line", resultText);

    const bool temperatures = request.category == QLatin1String("Temperatures");
    const bool readable = request.readsAsNumber && std::isfinite(request.quantity);
    switch (known->outcome) {
    case Outcome::InvalidCategory:
        if (!request.categoryEdited)
            fail(request, "a picked category was called invalid");
        break;
    case Outcome::InvalidQuantity:
        if (request.categoryEdited)
            fail(request, "the quantity was judged although the category is invalid");
        if (readable)
            fail(request, "a quantity that reads as a number in this locale was refused");
        break;
    case Outcome::TooLowForGasMark:
    case Outcome::TooHighForGasMark:
        if (!temperatures || request.toUnit != GasMark || request.fromUnit == GasMark || !readable)
            fail(request, "a temperature range message for a conversion to no gas mark",
                 message.text);
        break;
    case Outcome::NotAGasMark:
        if (!temperatures || request.fromUnit != GasMark || !readable)
            fail(request, "a gas mark message for a conversion from no gas mark", message.text);
        break;
    case Outcome::TooLarge:
        // The largest factor of any pair is far below 1E+8.
        if (!readable || std::fabs(request.quantity) < 1e300)
            fail(request, "a quantity called too large that is not", message.text);
        break;
    default:
        break;
    }
    if (known->outcome != Outcome::InvalidCategory && request.categoryEdited)
        fail(request, "an edited category was not refused", message.text);
    ++g_tally[request.locale][std::size_t(known->outcome)];
    g_lastReport = QLatin1String(outcomeName(known->outcome));
}

Outcome lineOutcome(const QString& category)
{
    if (category == QLatin1String("Lengths"))
        return Outcome::LengthLine;
    if (category == QLatin1String("Temperatures"))
        return Outcome::TemperatureLine;
    if (category == QLatin1String("Volumes"))
        return Outcome::VolumeLine;
    return Outcome::WeightLine;
}

void runRequest(const std::uint8_t* data, std::size_t size)
{
    Window& w = *g_window;
    auto byte = [&](std::size_t i) -> unsigned { return i < size ? data[i] : 0u; };
    const std::size_t head = std::min<std::size_t>(size, 3);

    Request request;
    request.locale = byte(0) & 1u;
    QLocale::setDefault(localeOf(request.locale));

    const int categoryRow = int((byte(0) >> 1) & 3u);
    const int editVariant = int((byte(0) >> 3) & 7u);
    w.cmbCategory->setCurrentIndex(categoryRow);
    w.gui.cmbCategory_Click();
    request.category = w.cmbCategory->currentText();
    if (editVariant >= 5) {
        w.cmbCategory->setEditText(editedCategory(request.category, editVariant));
        request.categoryEdited = true;
    }

    const int units = w.lstFrom->count();
    if (units == 0 || w.lstTo->count() != units)
        fail(request, "the unit lists were not filled for a picked category");
    w.lstFrom->setCurrentRow(int(byte(1) % unsigned(units)));
    w.gui.lstFrom_Click();
    request.fromUnit = w.lstFrom->currentItem()->text();

    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data) + head,
                                            qsizetype(size - head));
    w.txtQuantity->setText(typed);
    request.quantityText = w.txtQuantity->text();
    w.gui.txtQuantity_KeyPress(typed.isEmpty() ? 8 : typed.front().unicode());

    w.lstTo->setCurrentRow(int(byte(2) % unsigned(units)));
    request.toUnit = w.lstTo->currentItem()->text();
    request.quantity = QLocale().toDouble(request.quantityText, &request.readsAsNumber);

    w.fakes.messages.shown.clear();
    w.gui.lstTo_Click();

    const QList<test::ShownMessage>& shown = w.fakes.messages.shown;
    const QString resultText = w.txtResult->text();
    if (shown.size() > 1)
        fail(request, "more than one message for one request", shown.last().text);
    if (shown.size() == 1) {
        checkMessage(request, shown.front(), resultText);
        return;
    }
    if (resultText.isEmpty())
        fail(request, "the request ended with neither a result line nor a message");
    if (request.categoryEdited)
        fail(request, "a conversion ran for an edited category", resultText);
    if (!request.readsAsNumber || !std::isfinite(request.quantity))
        fail(request, "a quantity that does not read as a number was converted", resultText);
    if (request.category == QLatin1String("Temperatures"))
        checkTemperatureLine(request, resultText);
    else
        checkUnitLine(request, resultText);
    const Outcome outcome = lineOutcome(request.category);
    ++g_tally[request.locale][std::size_t(outcome)];
    g_lastReport = QLatin1String(outcomeName(outcome)) + QStringLiteral(": ") + resultText;
}

} // namespace

const char* outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::LengthLine: return "length line";
    case Outcome::TemperatureLine: return "temperature line";
    case Outcome::VolumeLine: return "volume line";
    case Outcome::WeightLine: return "weight line";
    case Outcome::InvalidCategory: return "invalid category";
    case Outcome::InvalidQuantity: return "invalid quantity";
    case Outcome::TooLowForGasMark: return "too low for a gas mark";
    case Outcome::TooHighForGasMark: return "too high for a gas mark";
    case Outcome::NotAGasMark: return "not a gas mark";
    case Outcome::TooLarge: return "too large";
    }
    return "?";
}

const char* localeName(std::size_t locale)
{
    return locale == 0 ? "with a decimal dot" : "with a decimal comma";
}

const Tally& tally()
{
    return g_tally;
}

QString lastReport()
{
    return g_lastReport;
}

void shutdown()
{
    delete g_window;
    g_window = nullptr;
    delete g_application;
    g_application = nullptr;
}

} // namespace pellimor::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    using namespace pellimor::fuzz;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication keeps a reference to these for its whole life.
    static int argc = 1;
    static char name[] = "pellimor_fuzz";
    static char* argv[] = {name, nullptr};
    g_application = new QApplication(argc, argv);
    g_window = new Window;
    if (!g_window->cmbCategory || !g_window->txtQuantity || !g_window->lstFrom
        || !g_window->lstTo || !g_window->txtResult) {
        std::fprintf(stderr, "The converter window lacks one of its controls.\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pellimor::fuzz::runRequest(data, size);
    return 0;
}
