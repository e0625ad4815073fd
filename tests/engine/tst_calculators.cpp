#include "catalogue/CollectionManager.h"
#include "engine/LengthCalculator.h"
#include "engine/RuntimeError.h"
#include "engine/TemperatureCalculator.h"
#include "engine/VolumeCalculator.h"
#include "engine/WeightCalculator.h"

#include <QStringList>
#include <QTest>

#include <limits>
#include <map>
#include <memory>

using namespace pellimor;

namespace {

constexpr double Largest = std::numeric_limits<double>::max();
constexpr double Fails = std::numeric_limits<double>::quiet_NaN();   // equals no result

// Callers only ever see the interface.
const std::map<QString, std::shared_ptr<const ICalculator>> calculators = {
    {"Weights", std::make_shared<WeightCalculator>()},
    {"Lengths", std::make_shared<LengthCalculator>()},
    {"Volumes", std::make_shared<VolumeCalculator>()},
    {"Temperatures", std::make_shared<TemperatureCalculator>()},
};

double convert(const QString& category, const QString& from, double amount, const QString& to)
{
    return calculators.at(category)->CalculateValue(from.toStdString(), amount, to.toStdString());
}

} // namespace

class TestCalculators : public QObject {
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();
    void catalogue_data();
    void catalogue();
};

void TestCalculators::conversion_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("result");
    QTest::addColumn<QString>("error");   // number and text of the RuntimeError, if any

    QTest::newRow("unit of another category") << "Weights" << "Gram" << 1.0 << "Litre" << 0.0 << "";
    // The key is the two names joined, wherever the first one ends.
    QTest::newRow("key split inside a name") << "Weights" << "GramK" << 1500.0 << "ilogram" << 1.5 << "";
    QTest::newRow("largest double shrinks") << "Weights" << "Gram" << Largest << "Kilogram" << Largest / 1000 << "";

    // Each unit's factor at least once; the catalogue test below checks the routes.
    QTest::newRow("kilogram to pound") << "Weights" << "Kilogram" << 1.0 << "Pound" << 2.1999780002199976 << "";
    QTest::newRow("pound to ounce") << "Weights" << "Pound" << 1.0 << "Ounce" << 15.99964801126364 << "";
    QTest::newRow("milligram to kilogram") << "Weights" << "Milligram" << 1.0 << "Kilogram" << 0.000001 << "";
    QTest::newRow("meter to foot") << "Lengths" << "Meter" << 1.0 << "Foot" << 3.2808398950131235 << "";
    QTest::newRow("minus one inch to millimeter") << "Lengths" << "Inch" << -1.0 << "Millimeter" << -25.4 << "";
    QTest::newRow("gallon to quart") << "Volumes" << "Gallon" << 1.0 << "Quart" << 4.001057082452432 << "";
    QTest::newRow("pint to cup") << "Volumes" << "Pint" << 1.0 << "Cup" << 2.0042372881355934 << "";
    QTest::newRow("cup to tablespoon") << "Volumes" << "Cup" << 1.0 << "Tablespoon" << 15.956727518593643 << "";
    QTest::newRow("tablespoon to teaspoon")
        << "Volumes" << "Tablespoon" << 1.0 << "Teaspoon" << 2.9999999999999996 << "";
    QTest::newRow("millilitre to gallon") << "Volumes" << "Millilitre" << 3785.0 << "Gallon" << 1.0 << "";
    QTest::newRow("centilitre to decilitre") << "Volumes" << "Centilitre" << 1.0 << "Decilitre" << 0.1 << "";

    // Temperatures: every one of the nine keys, and both edges of the gas-mark bands.
    QTest::newRow("body heat in F") << "Temperatures" << "Celcius" << 37.0 << "Fahrenheit" << 98.6 << "";
    QTest::newRow("350 F to C") << "Temperatures" << "Fahrenheit" << 350.0 << "Celcius" << 176.66666666666666 << "";
    QTest::newRow("Celcius to Celcius") << "Temperatures" << "Celcius" << 20.0 << "Celcius" << 20.0 << "";
    QTest::newRow("F to F needs no gas mark")
        << "Temperatures" << "Fahrenheit" << -500.0 << "Fahrenheit" << -500.0 << "";
    QTest::newRow("mark 4 to F") << "Temperatures" << "Gas Mark" << 4.0 << "Fahrenheit" << 350.0 << "";
    QTest::newRow("mark 9 to C") << "Temperatures" << "Gas Mark" << 9.0 << "Celcius" << 246.11111111111111 << "";
    QTest::newRow("mark 1 to mark") << "Temperatures" << "Gas Mark" << 1.0 << "Gas Mark" << 1.0 << "";
    QTest::newRow("mark 9 to mark") << "Temperatures" << "Gas Mark" << 9.0 << "Gas Mark" << 9.0 << "";
    QTest::newRow("262.5 F") << "Temperatures" << "Fahrenheit" << 262.5 << "Gas Mark" << 1.0 << "";
    QTest::newRow("287 F, top of mark 1") << "Temperatures" << "Fahrenheit" << 287.0 << "Gas Mark" << 1.0 << "";
    QTest::newRow("287.1 F") << "Temperatures" << "Fahrenheit" << 287.1 << "Gas Mark" << 2.0 << "";
    QTest::newRow("487 F, top of mark 9") << "Temperatures" << "Fahrenheit" << 487.0 << "Gas Mark" << 9.0 << "";
    QTest::newRow("128 C") << "Temperatures" << "Celcius" << 128.0 << "Gas Mark" << 1.0 << "";
    QTest::newRow("no same-unit rule for temperatures") << "Temperatures" << "Gram" << 5.0 << "Gram" << 0.0 << "";

    const QString overflow = "6 Overflow";
    const QString tooLow = "330 This temperature is too low for a gas mark. Please try another temperature.";
    const QString tooHigh = "331 This temperature is too high for a gas mark. Please try another temperature.";
    const QString notAMark = "333 This is not a valid gas mark value. Please select an integer value between 1 and 9.";
    QTest::newRow("first step overflows") << "Weights" << "Kilogram" << 1e308 << "Milligram" << Fails << overflow;
    QTest::newRow("second step overflows") << "Weights" << "Kilogram" << 1e305 << "Milligram" << Fails << overflow;
    QTest::newRow("negative overflow") << "Weights" << "Pound" << -Largest << "Gram" << Fails << overflow;
    QTest::newRow("division overflows") << "Volumes" << "Litre" << 1e307 << "Teaspoon" << Fails << overflow;
    QTest::newRow("Fahrenheit beyond range")
        << "Temperatures" << "Fahrenheit" << -1e308 << "Celcius" << Fails << overflow;
    QTest::newRow("overflow before too high")
        << "Temperatures" << "Celcius" << 1e308 << "Gas Mark" << Fails << overflow;
    QTest::newRow("262 F") << "Temperatures" << "Fahrenheit" << 262.0 << "Gas Mark" << Fails << tooLow;
    QTest::newRow("487.5 F") << "Temperatures" << "Fahrenheit" << 487.5 << "Gas Mark" << Fails << tooHigh;
    QTest::newRow("mark 2.5 to C") << "Temperatures" << "Gas Mark" << 2.5 << "Celcius" << Fails << notAMark;
    QTest::newRow("mark 10 to F") << "Temperatures" << "Gas Mark" << 10.0 << "Fahrenheit" << Fails << notAMark;
    QTest::newRow("mark 0.5 to mark") << "Temperatures" << "Gas Mark" << 0.5 << "Gas Mark" << Fails << notAMark;
}

void TestCalculators::conversion()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(double, amount);
    QFETCH(QString, to);
    QFETCH(double, result);
    QFETCH(QString, error);
    try {
        QCOMPARE_EQ(convert(category, from, amount, to), result);
    } catch (const RuntimeError& e) {
        QCOMPARE(QString::number(e.number()) + ' ' + QString::fromStdString(e.description()), error);
    }
}

void TestCalculators::catalogue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("units");
    QTest::addColumn<QString>("base");   // the unit every conversion goes through, if any
    // Display order; the calculators' keys are built from these very names, "Celcius" included.
    QTest::newRow("temperatures, gas mark in the middle")
        << "Temperatures" << QStringList{"Celcius", "Gas Mark", "Fahrenheit"} << "";
    QTest::newRow("weights") << "Weights" << QStringList{"Gram", "Kilogram", "Milligram", "Ounce", "Pound"} << "Gram";
    QTest::newRow("volumes") << "Volumes"
        << QStringList{"Centilitre", "Cup", "Decilitre", "Gallon", "Litre", "Millilitre", "Pint", "Quart",
                       "Tablespoon", "Teaspoon"} << "Litre";
    QTest::newRow("lengths") << "Lengths" << QStringList{"Centimeter", "Foot", "Inch", "Meter", "Millimeter"}
                             << "Centimeter";
    QTest::newRow("lower case") << "weights" << QStringList{} << "";
    QTest::newRow("trailing blank") << "Weights " << QStringList{} << "";
}

// Whatever pair the user can pick must convert (a missing or misspelt key shows 0), take
// exactly the two steps through the base unit (no shortcut) and lead back again.
void TestCalculators::catalogue()
{
    QFETCH(QString, name);
    QFETCH(QStringList, units);
    QFETCH(QString, base);
    const auto collection = CollectionManager().GetCollection(name.toStdString());
    QVERIFY(collection);   // even an unknown name gets a collection, only an empty one
    QStringList names;
    for (const std::string& unit : *collection)
        names << QString::fromStdString(unit);
    QCOMPARE(names, units);
    const double amount = -1234.5678;
    for (const QString& from : base.isEmpty() ? QStringList{} : units) {
        for (const QString& to : units) {
            const double result = convert(name, from, amount, to);
            const double viaBase = from == to ? amount : convert(name, base, convert(name, from, amount, base), to);
            QVERIFY2(result != 0 && result == viaBase, qPrintable(from + " to " + to));
            QVERIFY2(qFuzzyCompare(convert(name, to, result, from), amount), qPrintable(from + " to " + to));
        }
    }
}

QTEST_GUILESS_MAIN(TestCalculators)
#include "tst_calculators.moc"
