// One whole conversion request per input, as the converter window makes it when a To unit
// is picked. Byte 0: bit 0 the locale (0 decimal dot, 1 decimal comma), bits 1-2 the category row,
// bits 3-5 from 5 up edit the category text afterwards to a name that is none of the four;
// bytes 1 and 2: the From and To rows modulo the unit count; the rest: the quantity text
// as UTF-8, valid or not. An ill-formed outcome aborts.
#include "catalogue/Categories.h"
#include "catalogue/CollectionManager.h"
#include "conversion/Conversion.h"
#include "support/QuantityText.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace pellimor::fuzz {
namespace {

const QString GasMark = QStringLiteral("Gas Mark");
const QLocale Locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                           QLocale(QLocale::German, QLocale::Germany)};
const char* const LocaleNames[] = {", decimal dot", ", decimal comma"};
// In the order the category box lists them.
const std::array<QString, 4> Categories = [] {
    std::array<QString, 4> names;
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = QString::fromLatin1(category::All[i].data(), qsizetype(category::All[i].size()));
    return names;
}();

// The outcome each of the program's messages stands for, known by a phrase of it; the
// flow tests hold the whole texts.
const std::pair<const char*, const char*> Messages[] = {
    {"invalid category", "The value in the Category list box is invalid."},
    {"invalid quantity", "You entered an invalid value."},
    {"too low for a gas mark", "This temperature is too low for a gas mark."},
    {"too high for a gas mark", "This temperature is too high for a gas mark."},
    {"not a gas mark", "This is not a valid gas mark value."},
    {"too large", "The result of this conversion is too large to show."},
};

struct Request {
    int locale = 0;
    QString category, from, to, text;   // the text as the quantity box holds it
    double quantity = 0;
    bool edited = false, reads = false; // the category text edited after the pick; the text
                                        // reads as a finite number in the locale
} r;

QSet<QString> g_reached;   // a line of each category or a message of each kind, per locale

[[noreturn]] void fail(const char* what, const QString& detail = {})
{
    qFatal("Ill-formed outcome: %s\n  %s\n  locale%s: category \"%s\"%s, \"%s\" to \"%s\", quantity "
           "text \"%s\"", what, qUtf8Printable(detail), LocaleNames[r.locale], qUtf8Printable(r.category),
           r.edited ? " (edited)" : "", qUtf8Printable(r.from), qUtf8Printable(r.to), qUtf8Printable(r.text));
}

// At most 15 significant digits, the locale's separator, no grouping, no trailing zeros,
// at most `decimals` decimals, "0" for zero (never "-0"), scientific form only from 1E+15;
// the shape leaves no room for "nan" or "inf".
double checkNumber(const QString& number, int decimals)
{
    static const QRegularExpression shapes[] = {
        QRegularExpression(QStringLiteral("^-?([0-9]+)(?:\\.([0-9]*[1-9]))?(?:E([+-])([0-9]{2,3}))?$")),
        QRegularExpression(QStringLiteral("^-?([0-9]+)(?:,([0-9]*[1-9]))?(?:E([+-])([0-9]{2,3}))?$"))};
    const QRegularExpressionMatch m = shapes[r.locale].match(number);
    if (!m.hasMatch())
        fail("the number is not written as a plain number of this locale", number);
    const QString whole = m.captured(1), fraction = m.captured(2);
    const QString digits = QString(whole + fraction).remove(QRegularExpression(QStringLiteral("^0+")));
    if ((digits.isEmpty() && number != u"0") || digits.size() > 15)
        fail("zero not written as \"0\", or more than 15 significant digits", number);
    if (m.hasCaptured(3) ? whole.size() != 1 || whole == u"0" || m.captured(3) != u"+"
                               || m.captured(4).toInt() < 15
                         : (whole.size() > 1 && whole.startsWith(u'0')) || fraction.size() > decimals)
        fail("needless scientific form, a leading zero or more decimals than rounded to", number);
    return QLocale::c().toDouble(QString(number).replace(u',', u'.'));
}

// "<n> <unit> = <n> <unit>", each unit plural from 2 on; temperatures read "<n>° <unit>"
// or "Gas Mark <n>" on a side.
void checkLine(const QString& line)
{
    const bool temperatures = r.category == u"Temperatures", toMark = r.to == GasMark;
    auto side = [&](const QString& unit, const QString& number, bool plural) {
        const QString plain = unit == u"Inch" ? QStringLiteral("Inches")
                              : unit == u"Foot" ? QStringLiteral("Feet") : unit + u's';
        return !temperatures ? number + u' ' + (plural ? plain : unit)
               : unit == GasMark ? GasMark + u' ' + number : number + QStringLiteral("\u00B0 ") + unit;
    };
    const QString left = side(r.from, r.text, std::fabs(r.quantity) >= 2) + QStringLiteral(" = ");
    if (!line.startsWith(left))
        fail("the line does not begin with the quantity as typed and its unit", line);
    if (r.from == GasMark && !(r.quantity >= 1 && r.quantity <= 9 && r.quantity == std::floor(r.quantity)))
        fail("a gas mark outside 1 to 9 was converted", line);
    const QString rest = line.mid(left.size());
    // Without the degree sign, which the whole side is checked for below.
    const QString number = toMark ? rest.mid(GasMark.size() + 1)
                                  : rest.section(u' ', 0, 0).remove(QChar(0x00B0));
    const double value = checkNumber(number, toMark ? 0 : temperatures ? 1 : 3), size = std::fabs(value);
    // The plural follows the unrounded value, which rounding keeps on its side of 2.
    if (rest != side(r.to, number, size >= 2) && (size != 2 || rest != side(r.to, number, false)))
        fail("the line does not end with the number and the To unit in the number's form", line);
    if (toMark && (value < 1 || value > 9))
        fail("the result is not a gas mark from 1 to 9", line);
    // Every factor of lengths, volumes and weights is positive.
    if (!temperatures && ((r.quantity == 0 && value != 0) || r.quantity * value < 0))
        fail("the number's sign differs from the quantity's", line);
}

void checkMessage(const ConversionOutcome& outcome)
{
    using Kind = ConversionOutcome::Kind;
    const auto known = std::find_if(std::begin(Messages), std::end(Messages),
                                    [&](const auto& m) { return outcome.text.startsWith(QLatin1String(m.second)); });
    if (known == std::end(Messages))
        fail("a message that is none of the program's", outcome.text);
    // The kind the window acts on must be the message's own.
    const int index = int(known - Messages);
    const Kind kinds[] = {Kind::InvalidCategory, Kind::InvalidQuantity, Kind::GasMarkRange,
                          Kind::GasMarkRange, Kind::GasMarkRange, Kind::TooLarge};
    if (outcome.kind != kinds[index])
        fail("a message under the wrong kind of refusal", outcome.text);
    // When each message may answer; only the first one answers an edited category.
    const bool toMark = r.to == GasMark && r.from != GasMark && r.reads;
    const bool fits[] = {true, !r.reads, toMark, toMark, r.from == GasMark && r.reads,
                         r.reads && std::fabs(r.quantity) >= 1e300};   // every factor is < 1E+8
    if ((index == 0) != r.edited || !fits[index])
        fail("a message for a request it does not fit", outcome.text);
    g_reached.insert(QLatin1String(known->first) + QLatin1String(LocaleNames[r.locale]));
}

const QStringList& unitsOf(int category)
{
    static const std::array<QStringList, 4> units = [] {
        std::array<QStringList, 4> all;
        for (std::size_t c = 0; c < all.size(); ++c) {
            const auto collection = CollectionManager().GetCollection(Categories[c].toStdString());
            for (const std::string& unit : *collection)
                all[c] << QString::fromStdString(unit);
        }
        return all;
    }();
    return units[std::size_t(category)];
}

void runRequest(const std::uint8_t* data, std::size_t size)
{
    auto byte = [&](std::size_t i) { return i < size ? unsigned(data[i]) : 0u; };
    r = Request{};
    r.locale = int(byte(0) & 1u);
    // The oracle reads quantities under the default locale.
    QLocale::setDefault(Locales[r.locale]);

    const int category = int((byte(0) >> 1) & 3u);
    r.category = Categories[std::size_t(category)];
    QString typedCategory = r.category;
    if (const unsigned variant = (byte(0) >> 3) & 7u; variant >= 5) {
        r.edited = true;
        typedCategory = variant == 5 ? r.category.toLower()
                        : variant == 6 ? r.category + u' ' : QStringLiteral("(Select a category)");
    }
    const QStringList& units = unitsOf(category);
    r.from = units.at(qsizetype(byte(1) % unsigned(units.size())));
    r.to = units.at(qsizetype(byte(2) % unsigned(units.size())));

    const std::size_t head = std::min<std::size_t>(size, 3);
    r.text = QString::fromUtf8(reinterpret_cast<const char*>(data) + head, qsizetype(size - head));
    const std::optional<double> reads = test::quantityOf(r.text);
    r.reads = reads.has_value();
    r.quantity = reads.value_or(0);

    const ConversionOutcome outcome = convert({typedCategory, r.from, r.text, r.to, Locales[r.locale]});
    if (outcome.kind != ConversionOutcome::Kind::Line)
        return checkMessage(outcome);
    if (outcome.text.isEmpty() || r.edited || !r.reads)
        fail("no line at all, or a line for an edited category or a text that is no number", outcome.text);
    checkLine(outcome.text);
    g_reached.insert(r.category.toLower().chopped(1) + QStringLiteral(" line") + LocaleNames[r.locale]);
}

} // namespace
} // namespace pellimor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pellimor::fuzz::runRequest(data, size);
    return 0;
}

#ifdef PELLIMOR_FUZZ_CORPUS
// Runs the fuzz target without libFuzzer, so every build replays the corpus: the committed
// one, which must reach all 20 outcomes (four lines and six messages in each locale) or it
// has lost the seeds that make it worth running, or the file or folder given (a finding).
int main(int argc, char** argv)
{
    using namespace pellimor::fuzz;
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(PELLIMOR_FUZZ_CORPUS));
    const QStringList names = folder.exists() ? folder.entryList(QDir::Files) : QStringList{folder.path()};
    for (const QString& name : names) {
        QFile file(folder.exists() ? folder.filePath(name) : name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("Cannot read %s", qUtf8Printable(file.fileName()));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    QStringList reached = g_reached.values();
    reached.sort();
    std::printf("%lld inputs replayed, outcomes reached:\n  %s\n", static_cast<long long>(names.size()),
                qUtf8Printable(reached.join(QStringLiteral("\n  "))));
    return !names.isEmpty() && (argc > 1 || reached.size() == 20) ? 0 : 1;
}
#endif
