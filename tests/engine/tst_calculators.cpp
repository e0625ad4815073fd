#include "catalogue/CollectionManager.h"
#include "engine/ICalculator.h"
#include "engine/LengthCalculator.h"
#include "engine/RuntimeError.h"
#include "engine/TemperatureCalculator.h"
#include "engine/VolumeCalculator.h"
#include "engine/WeightCalculator.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>

#include <unistd.h>

using namespace pellimor;

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double Largest = std::numeric_limits<double>::max();

const QString TooLow = QStringLiteral(
    "This temperature is too low for a gas mark. Please try another temperature.");
const QString TooHigh = QStringLiteral(
    "This temperature is too high for a gas mark. Please try another temperature.");
const QString NotAMark = QStringLiteral(
    "This is not a valid gas mark value. Please select an integer value between 1 and 9.");

// Callers only ever see the interface, so the tests use it too. Any other category
// gets the bare interface, which knows no units.
std::unique_ptr<ICalculator> calculatorFor(const QString& category)
{
    if (category == QLatin1String("Weights"))
        return std::make_unique<WeightCalculator>();
    if (category == QLatin1String("Lengths"))
        return std::make_unique<LengthCalculator>();
    if (category == QLatin1String("Volumes"))
        return std::make_unique<VolumeCalculator>();
    if (category == QLatin1String("Temperatures"))
        return std::make_unique<TemperatureCalculator>();
    return std::make_unique<ICalculator>();
}

double convert(const QString& category, const QString& from, double amount, const QString& to)
{
    return calculatorFor(category)->CalculateValue(from.toStdString(), amount, to.toStdString());
}

// The factors written down once more, independently of the calculators: a unit reaches
// its base unit by multiplying or dividing by its factor and comes back the other way.
struct UnitFactor {
    const char* category;
    const char* unit;
    char toBase;   // '*' or '/', '=' for the base unit itself
    double factor;
};

const UnitFactor unitFactors[] = {
    {"Weights", "Gram", '=', 1},           {"Weights", "Kilogram", '*', 1000},
    {"Weights", "Milligram", '/', 1000},   {"Weights", "Pound", '*', 454.55},
    {"Weights", "Ounce", '*', 28.41},
    {"Lengths", "Centimeter", '=', 1},     {"Lengths", "Inch", '*', 2.54},
    {"Lengths", "Millimeter", '/', 10},    {"Lengths", "Meter", '*', 100},
    {"Lengths", "Foot", '*', 30.48},
    {"Volumes", "Litre", '=', 1},          {"Volumes", "Gallon", '*', 3.785},
    {"Volumes", "Quart", '*', 0.946},      {"Volumes", "Pint", '*', 0.473},
    {"Volumes", "Cup", '*', 0.236},        {"Volumes", "Tablespoon", '*', 0.01479},
    {"Volumes", "Teaspoon", '*', 0.00493}, {"Volumes", "Millilitre", '/', 1000},
    {"Volumes", "Centilitre", '/', 100},   {"Volumes", "Decilitre", '/', 10},
};

const UnitFactor* factorOf(const QString& category, const QString& unit)
{
    for (const UnitFactor& f : unitFactors) {
        if (category == QLatin1String(f.category) && unit == QLatin1String(f.unit))
            return &f;
    }
    return nullptr;
}

// (v op f1) op f2, or a single step when one side is the base unit.
double expectedThroughBase(const UnitFactor& from, double v, const UnitFactor& to)
{
    if (from.toBase == '*')
        v = v * from.factor;
    else if (from.toBase == '/')
        v = v / from.factor;
    if (to.toBase == '*')
        v = v / to.factor;
    else if (to.toBase == '/')
        v = v * to.factor;
    return v;
}

// Catches anything written to standard output or error, by printf or iostreams alike,
// between construction and takeOutput().
class OutputCapture {
public:
    OutputCapture()
    {
        if (!m_file.open())
            return;
        flushAll();
        m_savedOut = dup(STDOUT_FILENO);
        m_savedErr = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDOUT_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~OutputCapture() { restore(); }

    QByteArray takeOutput()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    static void flushAll()
    {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stdout);
        std::fflush(stderr);
    }
    void restore()
    {
        if (m_savedOut < 0)
            return;
        flushAll();
        dup2(m_savedOut, STDOUT_FILENO);
        dup2(m_savedErr, STDERR_FILENO);
        close(m_savedOut);
        close(m_savedErr);
        m_savedOut = m_savedErr = -1;
    }

    QTemporaryFile m_file;
    int m_savedOut = -1;
    int m_savedErr = -1;
};

} // namespace

class TestCalculators : public QObject {
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();
    void everyCataloguePair_data();
    void everyCataloguePair();
    void failure_data();
    void failure();
};

void TestCalculators::conversion_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("result");

    // Dispatch shared by all calculators
    QTest::newRow("bare interface knows no pair") << "" << "Gram" << 1.0 << "Kilogram" << 0.0;
    QTest::newRow("bare interface has no same-unit rule") << "" << "Gram" << 5.0 << "Gram" << 0.0;
    QTest::newRow("same unit") << "Weights" << "Gram" << 5.0 << "Gram" << 5.0;
    QTest::newRow("same name from another category") << "Weights" << "Litre" << 5.0 << "Litre" << 5.0;
    QTest::newRow("two empty names") << "Lengths" << "" << 3.0 << "" << 3.0;
    QTest::newRow("unit of another category") << "Weights" << "Gram" << 1.0 << "Litre" << 0.0;
    QTest::newRow("letter case differs") << "Weights" << "gram" << 1.0 << "Kilogram" << 0.0;
    QTest::newRow("trailing blank") << "Weights" << "Gram " << 1.0 << "Kilogram" << 0.0;
    QTest::newRow("empty against a unit") << "Lengths" << "" << 1.0 << "Inch" << 0.0;
    QTest::newRow("negative amount") << "Weights" << "Kilogram" << -2.0 << "Gram" << -2000.0;
    QTest::newRow("infinity passes through") << "Weights" << "Kilogram" << Infinity << "Gram" << Infinity;
    QTest::newRow("largest double shrinks") << "Weights" << "Gram" << Largest << "Kilogram" << Largest / 1000;

    // The key is the two names joined, wherever the first one ends
    QTest::newRow("key split inside a name") << "Weights" << "GramK" << 1500.0 << "ilogram" << 1.5;
    QTest::newRow("whole key as return unit") << "Weights" << "" << 1500.0 << "GramKilogram" << 1.5;
    QTest::newRow("whole key as start unit") << "Volumes" << "LitreMillilitre" << 2.0 << "" << 2000.0;
    QTest::newRow("same-unit text is no key") << "Weights" << "GramGr" << 5.0 << "am" << 0.0;
    QTest::newRow("gas mark key split at blank") << "Temperatures" << "Gas " << 4.0 << "MarkFahrenheit" << 350.0;

    // Weights
    QTest::newRow("kilogram to pound") << "Weights" << "Kilogram" << 1.0 << "Pound" << 2.1999780002199976;
    QTest::newRow("pound to kilogram") << "Weights" << "Pound" << 1.0 << "Kilogram" << 0.45455;
    QTest::newRow("two pounds to kilograms") << "Weights" << "Pound" << 2.0 << "Kilogram" << 0.9091;
    QTest::newRow("pound to ounce") << "Weights" << "Pound" << 1.0 << "Ounce" << 15.99964801126364;
    QTest::newRow("16 ounces to pound") << "Weights" << "Ounce" << 16.0 << "Pound" << 1.0000219997800022;
    QTest::newRow("kilogram to milligram") << "Weights" << "Kilogram" << 2.5 << "Milligram" << 2500000.0;
    QTest::newRow("milligram to kilogram") << "Weights" << "Milligram" << 1.0 << "Kilogram" << 0.000001;
    QTest::newRow("ounce to gram") << "Weights" << "Ounce" << 1.0 << "Gram" << 28.41;
    QTest::newRow("gram to gram") << "Weights" << "Gram" << 7.0 << "Gram" << 7.0;

    // Lengths
    QTest::newRow("12 inches to foot") << "Lengths" << "Inch" << 12.0 << "Foot" << 1.0;
    QTest::newRow("foot to inch") << "Lengths" << "Foot" << 1.0 << "Inch" << 12.0;
    QTest::newRow("meter to foot") << "Lengths" << "Meter" << 1.0 << "Foot" << 3.2808398950131235;
    QTest::newRow("meter to inch") << "Lengths" << "Meter" << 1.0 << "Inch" << 39.37007874015748;
    QTest::newRow("inch to millimeter") << "Lengths" << "Inch" << 1.0 << "Millimeter" << 25.4;
    QTest::newRow("foot to meter") << "Lengths" << "Foot" << 1.0 << "Meter" << 0.3048;
    QTest::newRow("3 feet to meter") << "Lengths" << "Foot" << 3.0 << "Meter" << 0.9144;
    QTest::newRow("millimeter to foot") << "Lengths" << "Millimeter" << 1.0 << "Foot" << 0.0032808398950131233;
    QTest::newRow("zero") << "Lengths" << "Meter" << 0.0 << "Foot" << 0.0;
    QTest::newRow("minus one inch") << "Lengths" << "Inch" << -1.0 << "Centimeter" << -2.54;

    // Volumes
    QTest::newRow("gallon to quart") << "Volumes" << "Gallon" << 1.0 << "Quart" << 4.001057082452432;
    QTest::newRow("quart to pint") << "Volumes" << "Quart" << 1.0 << "Pint" << 2.0;
    QTest::newRow("pint to cup") << "Volumes" << "Pint" << 1.0 << "Cup" << 2.0042372881355934;
    QTest::newRow("litre to cup") << "Volumes" << "Litre" << 1.0 << "Cup" << 4.237288135593221;
    QTest::newRow("cup to tablespoon") << "Volumes" << "Cup" << 1.0 << "Tablespoon" << 15.956727518593643;
    QTest::newRow("tablespoon to teaspoon") << "Volumes" << "Tablespoon" << 1.0 << "Teaspoon" << 2.9999999999999996;
    QTest::newRow("teaspoon to millilitre") << "Volumes" << "Teaspoon" << 1.0 << "Millilitre" << 4.930000000000001;
    QTest::newRow("cup to millilitre") << "Volumes" << "Cup" << 1.0 << "Millilitre" << 236.0;
    QTest::newRow("gallon to millilitre") << "Volumes" << "Gallon" << 1.0 << "Millilitre" << 3785.0;
    QTest::newRow("decilitre to centilitre") << "Volumes" << "Decilitre" << 1.0 << "Centilitre" << 10.0;

    // Temperatures, one row at least for each of the nine keys
    QTest::newRow("boiling point") << "Temperatures" << "Celcius" << 100.0 << "Fahrenheit" << 212.0;
    QTest::newRow("body heat") << "Temperatures" << "Celcius" << 37.0 << "Fahrenheit" << 98.6;
    QTest::newRow("minus forty") << "Temperatures" << "Celcius" << -40.0 << "Fahrenheit" << -40.0;
    QTest::newRow("350 F to C") << "Temperatures" << "Fahrenheit" << 350.0 << "Celcius" << 176.66666666666666;
    QTest::newRow("98.6 F to C") << "Temperatures" << "Fahrenheit" << 98.6 << "Celcius" << 37.0;
    QTest::newRow("Celcius to Celcius") << "Temperatures" << "Celcius" << 20.0 << "Celcius" << 20.0;
    QTest::newRow("Fahrenheit to Fahrenheit") << "Temperatures" << "Fahrenheit" << -500.0 << "Fahrenheit" << -500.0;
    QTest::newRow("mark 4 to F") << "Temperatures" << "Gas Mark" << 4.0 << "Fahrenheit" << 350.0;
    QTest::newRow("mark 4 to C") << "Temperatures" << "Gas Mark" << 4.0 << "Celcius" << 176.66666666666666;
    QTest::newRow("mark 1 to C") << "Temperatures" << "Gas Mark" << 1.0 << "Celcius" << 135.0;
    QTest::newRow("mark 9 to C") << "Temperatures" << "Gas Mark" << 9.0 << "Celcius" << 246.11111111111111;
    QTest::newRow("mark 7 to mark") << "Temperatures" << "Gas Mark" << 7.0 << "Gas Mark" << 7.0;
    QTest::newRow("262.5 F") << "Temperatures" << "Fahrenheit" << 262.5 << "Gas Mark" << 1.0;
    QTest::newRow("287 F, top of mark 1") << "Temperatures" << "Fahrenheit" << 287.0 << "Gas Mark" << 1.0;
    QTest::newRow("287.1 F") << "Temperatures" << "Fahrenheit" << 287.1 << "Gas Mark" << 2.0;
    QTest::newRow("487 F, top of mark 9") << "Temperatures" << "Fahrenheit" << 487.0 << "Gas Mark" << 9.0;
    QTest::newRow("128 C") << "Temperatures" << "Celcius" << 128.0 << "Gas Mark" << 1.0;
    QTest::newRow("180 C") << "Temperatures" << "Celcius" << 180.0 << "Gas Mark" << 4.0;
    QTest::newRow("200 C") << "Temperatures" << "Celcius" << 200.0 << "Gas Mark" << 6.0;
    QTest::newRow("250 C") << "Temperatures" << "Celcius" << 250.0 << "Gas Mark" << 9.0;
    QTest::newRow("gram to gram is no temperature") << "Temperatures" << "Gram" << 5.0 << "Gram" << 0.0;
    QTest::newRow("no same-unit rule for temperatures") << "Temperatures" << "" << 3.0 << "" << 0.0;
    QTest::newRow("temperature names in lower case") << "Temperatures" << "celcius" << 100.0 << "Fahrenheit" << 0.0;
}

void TestCalculators::conversion()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(double, amount);
    QFETCH(QString, to);
    QFETCH(double, result);

    QCOMPARE_EQ(convert(category, from, amount, to), result);
}

void TestCalculators::everyCataloguePair_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");

    const CollectionManager catalogue;
    for (const char* category : {"Weights", "Lengths", "Volumes", "Temperatures"}) {
        const auto units = catalogue.GetCollection(category);
        QVERIFY(!units->empty());
        for (const std::string& from : *units) {
            for (const std::string& to : *units) {
                QTest::addRow("%s: %s to %s", category, from.c_str(), to.c_str())
                    << QString::fromLatin1(category) << QString::fromStdString(from)
                    << QString::fromStdString(to);
            }
        }
    }
}

// Whatever pair the user can pick must convert: a missing or misspelt key would show 0.
void TestCalculators::everyCataloguePair()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, to);

    if (category == QLatin1String("Temperatures")) {
        // A value every temperature unit accepts; the exact results are checked above.
        const double amount = from == QLatin1String("Gas Mark") ? 4 : from == QLatin1String("Celcius") ? 200 : 400;
        QCOMPARE_NE(convert(category, from, amount, to), 0.0);
        return;
    }

    const UnitFactor* fromFactor = factorOf(category, from);
    const UnitFactor* toFactor = factorOf(category, to);
    QVERIFY2(fromFactor && toFactor, "the catalogue lists a unit the calculators do not know");
    for (double amount : {1.0, 1234.5678, -0.037}) {
        const double expected = from == to ? amount : expectedThroughBase(*fromFactor, amount, *toFactor);
        const double actual = convert(category, from, amount, to);
        QCOMPARE_NE(actual, 0.0);
        QCOMPARE_EQ(actual, expected);
    }
}

void TestCalculators::failure_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    const QString overflow = QStringLiteral("Overflow");
    QTest::newRow("kilograms beyond range") << "Weights" << "Kilogram" << 1e308 << "Milligram" << 6 << overflow;
    QTest::newRow("second weight step overflows") << "Weights" << "Kilogram" << 1e306 << "Milligram" << 6 << overflow;
    QTest::newRow("negative weight overflows") << "Weights" << "Pound" << -Largest << "Gram" << 6 << overflow;
    QTest::newRow("meters beyond range") << "Lengths" << "Meter" << 1e307 << "Millimeter" << 6 << overflow;
    QTest::newRow("gallons beyond range") << "Volumes" << "Gallon" << 1e306 << "Millilitre" << 6 << overflow;
    QTest::newRow("division overflows") << "Volumes" << "Litre" << 1e307 << "Teaspoon" << 6 << overflow;
    QTest::newRow("Celcius beyond range") << "Temperatures" << "Celcius" << 1e308 << "Fahrenheit" << 6 << overflow;
    QTest::newRow("Fahrenheit beyond range") << "Temperatures" << "Fahrenheit" << -1e308 << "Celcius" << 6 << overflow;
    QTest::newRow("overflow before too high") << "Temperatures" << "Celcius" << 1e308 << "Gas Mark" << 6 << overflow;
    QTest::newRow("overflow before too low") << "Temperatures" << "Celcius" << -1e308 << "Gas Mark" << 6 << overflow;

    QTest::newRow("262 F") << "Temperatures" << "Fahrenheit" << 262.0 << "Gas Mark" << 330 << TooLow;
    QTest::newRow("487.5 F") << "Temperatures" << "Fahrenheit" << 487.5 << "Gas Mark" << 331 << TooHigh;
    QTest::newRow("100 C") << "Temperatures" << "Celcius" << 100.0 << "Gas Mark" << 330 << TooLow;
    QTest::newRow("127 C") << "Temperatures" << "Celcius" << 127.0 << "Gas Mark" << 330 << TooLow;
    QTest::newRow("253 C") << "Temperatures" << "Celcius" << 253.0 << "Gas Mark" << 331 << TooHigh;
    QTest::newRow("mark 2.5 to C") << "Temperatures" << "Gas Mark" << 2.5 << "Celcius" << 333 << NotAMark;
    QTest::newRow("mark 0 to C") << "Temperatures" << "Gas Mark" << 0.0 << "Celcius" << 333 << NotAMark;
    QTest::newRow("mark -1 to C") << "Temperatures" << "Gas Mark" << -1.0 << "Celcius" << 333 << NotAMark;
    QTest::newRow("mark 10 to C") << "Temperatures" << "Gas Mark" << 10.0 << "Celcius" << 333 << NotAMark;
    QTest::newRow("mark 10 to F") << "Temperatures" << "Gas Mark" << 10.0 << "Fahrenheit" << 333 << NotAMark;
    QTest::newRow("mark 0.5 to mark") << "Temperatures" << "Gas Mark" << 0.5 << "Gas Mark" << 333 << NotAMark;
    QTest::newRow("mark 10 to mark") << "Temperatures" << "Gas Mark" << 10.0 << "Gas Mark" << 333 << NotAMark;
    QTest::newRow("mark key split elsewhere") << "Temperatures" << "Gas MarkGas" << 0.5 << " Mark" << 333 << NotAMark;
}

void TestCalculators::failure()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(double, amount);
    QFETCH(QString, to);
    QFETCH(int, number);
    QFETCH(QString, description);

    const auto calculator = calculatorFor(category);
    std::optional<RuntimeError> raised;
    std::optional<double> returned;
    OutputCapture capture;
    try {
        returned = calculator->CalculateValue(from.toStdString(), amount, to.toStdString());
    } catch (const RuntimeError& error) {
        raised = error;
    }
    const QByteArray printed = capture.takeOutput();

    QVERIFY2(!returned, qPrintable(QStringLiteral("returned %1").arg(returned.value_or(0), 0, 'g', 17)));
    QVERIFY(raised);
    QCOMPARE(raised->number(), number);
    QCOMPARE(QString::fromStdString(raised->description()), description);
    // The window shows the error; the calculator itself must stay silent.
    QCOMPARE(printed, QByteArray());
}

QTEST_GUILESS_MAIN(TestCalculators)
#include "tst_calculators.moc"
