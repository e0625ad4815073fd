#include "conversion/Conversion.h"
#include "support/MessageTexts.h"

#include <QTest>

using namespace pellimor;
using namespace pellimor::test;
using Kind = ConversionOutcome::Kind;

Q_DECLARE_METATYPE(pellimor::ConversionOutcome::Kind)

namespace {

const QLocale Dot(QLocale::English, QLocale::UnitedStates);
const QLocale Comma(QLocale::German, QLocale::Germany);

} // namespace

class TestConversion : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The request's own locale counts, never the process's: a default whose separator
        // is neither a dot nor a comma would show it.
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    }
    void outcome_data();
    void outcome();
    void plural_data();
    void plural();
};

void TestConversion::outcome_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("to");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");

    const struct {
        const char* name;
        const QLocale& locale;
        const char *category, *from, *quantity, *to;
        Kind kind;
        QString text;
    } rows[] = {
        // Lines in a dot locale.
        {"kilograms to grams", Dot, "Weights", "Kilogram", "2", "Gram", Kind::Line, "2 Kilograms = 2000 Grams"},
        {"one pound", Dot, "Weights", "Pound", "1", "Kilogram", Kind::Line, "1 Pound = 0.455 Kilogram"},
        {"negative, as typed", Dot, "Weights", "Pound", "-2.50", "Kilogram", Kind::Line, "-2.50 Pounds = -1.136 Kilogram"},
        {"1.5 keeps the singular", Dot, "Volumes", "Cup", "1.5", "Millilitre", Kind::Line, "1.5 Cup = 354 Millilitres"},
        {"rounded to 3, plural of the raw value", Dot, "Volumes", "Tablespoon", "1", "Teaspoon", Kind::Line, "1 Tablespoon = 3 Teaspoons"},
        {"printed 2 from 1.9996, singular", Dot, "Weights", "Kilogram", "0.0019996", "Gram", Kind::Line, "0.0019996 Kilogram = 2 Gram"},
        {"rounds to zero", Dot, "Weights", "Milligram", "1", "Kilogram", Kind::Line, "1 Milligram = 0 Kilogram"},
        {"inches and feet", Dot, "Lengths", "Inch", "24", "Foot", Kind::Line, "24 Inches = 2 Feet"},
        {"one foot", Dot, "Lengths", "Foot", "1", "Centimeter", Kind::Line, "1 Foot = 30.48 Centimeters"},
        {"degrees", Dot, "Temperatures", "Fahrenheit", "350", "Celcius", Kind::Line, "350° Fahrenheit = 176.7° Celcius"},
        {"minus forty", Dot, "Temperatures", "Celcius", "-40", "Fahrenheit", Kind::Line, "-40° Celcius = -40° Fahrenheit"},
        {"from a gas mark", Dot, "Temperatures", "Gas Mark", "4", "Celcius", Kind::Line, "Gas Mark 4 = 176.7° Celcius"},
        {"to a gas mark", Dot, "Temperatures", "Celcius", "180", "Gas Mark", Kind::Line, "180° Celcius = Gas Mark 4"},
        {"mark to mark", Dot, "Temperatures", "Gas Mark", "7", "Gas Mark", Kind::Line, "Gas Mark 7 = Gas Mark 7"},
        {"blanks and exponent kept as typed", Dot, "Weights", "Gram", " 1e3 ", "Kilogram", Kind::Line, " 1e3  Grams = 1 Kilogram"},
        // The same in a comma locale.
        {"comma: one pound", Comma, "Weights", "Pound", "1", "Kilogram", Kind::Line, "1 Pound = 0,455 Kilogram"},
        {"comma: fraction typed", Comma, "Weights", "Pound", "2,5", "Kilogram", Kind::Line, "2,5 Pounds = 1,136 Kilogram"},
        {"comma: degrees", Comma, "Temperatures", "Fahrenheit", "350", "Celcius", Kind::Line, "350° Fahrenheit = 176,7° Celcius"},
        {"comma: gas mark", Comma, "Temperatures", "Celcius", "180", "Gas Mark", Kind::Line, "180° Celcius = Gas Mark 4"},
        {"comma: lengths", Comma, "Lengths", "Foot", "1", "Centimeter", Kind::Line, "1 Foot = 30,48 Centimeters"},
        // The category is checked first, exactly and before the quantity.
        {"category in lower case", Dot, "weights", "Pound", "abc", "Kilogram", Kind::InvalidCategory, InvalidCategory},
        {"category with a blank", Comma, "Weights ", "Pound", "2", "Kilogram", Kind::InvalidCategory, InvalidCategory},
        {"placeholder category", Dot, "(Select a category)", "Pound", "2", "Kilogram", Kind::InvalidCategory, InvalidCategory},
        // Then the quantity, under the request's locale only.
        {"placeholder quantity", Dot, "Weights", "Pound", "(Enter a value)", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"empty quantity", Comma, "Weights", "Pound", "", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"dot in a comma locale", Comma, "Weights", "Pound", "1.5", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"comma in a dot locale", Dot, "Weights", "Pound", "0,455", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"infinity", Dot, "Weights", "Pound", "inf", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        // Digit grouping is not a number: a thousands reading would be silently wrong.
        {"thousands grouped by a comma", Dot, "Weights", "Pound", "1,000", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"thousands grouped by a dot", Comma, "Weights", "Pound", "1.000", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"comma: a fraction that looks grouped", Comma, "Weights", "Pound", "0,455", "Kilogram", Kind::Line, "0,455 Pound = 0,207 Kilogram"},
        {"beyond the double range", Comma, "Weights", "Pound", "1e999", "Kilogram", Kind::InvalidQuantity, InvalidQuantity},
        {"not a number before a gas mark", Dot, "Temperatures", "Gas Mark", "x", "Celcius", Kind::InvalidQuantity, InvalidQuantity},
        // Then the calculator's own refusals.
        {"not a gas mark", Dot, "Temperatures", "Gas Mark", "10", "Celcius", Kind::GasMarkRange, NotAMark},
        {"gas mark fraction", Comma, "Temperatures", "Gas Mark", "2,5", "Gas Mark", Kind::GasMarkRange, NotAMark},
        {"too low for a gas mark", Dot, "Temperatures", "Celcius", "100", "Gas Mark", Kind::GasMarkRange, TooLow},
        {"too high for a gas mark", Comma, "Temperatures", "Celcius", "300", "Gas Mark", Kind::GasMarkRange, TooHigh},
        {"too large", Dot, "Weights", "Kilogram", "1E+308", "Milligram", Kind::TooLarge, TooLarge},
        {"comma: too large", Comma, "Lengths", "Meter", "1E+308", "Millimeter", Kind::TooLarge, TooLarge},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.locale << QString(row.category) << QString(row.from)
                                << QString(row.quantity) << QString(row.to) << row.kind << row.text;
}

void TestConversion::outcome()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, quantity);
    QFETCH(QString, to);
    QFETCH(Kind, kind);
    QFETCH(QString, text);

    const ConversionOutcome outcome = convert({category, from, quantity, to, locale});
    QCOMPARE(outcome.text, text);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(refusalTitle(), "Invalid Value");
}

void TestConversion::plural_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("magnitude");
    QTest::addColumn<QString>("printed");
    QTest::newRow("just below 2") << "Pound" << 1.9999 << "Pound";
    QTest::newRow("2") << "Pound" << 2.0 << "Pounds";
    QTest::newRow("inches") << "Inch" << 12.0 << "Inches";
    QTest::newRow("feet") << "Foot" << 3.0 << "Feet";
    QTest::newRow("one foot") << "Foot" << 1.0 << "Foot";
    QTest::newRow("a name that only ends in Inch") << "Pinch" << 2.0 << "Pinchs";
}

void TestConversion::plural()
{
    QFETCH(QString, unit);
    QFETCH(double, magnitude);
    QFETCH(QString, printed);
    QCOMPARE(PluralizeUnit(unit, magnitude), printed);
}

QTEST_APPLESS_MAIN(TestConversion)
#include "tst_conversion.moc"
