#include "ui/converter/NumberText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace pellimor;

namespace {

QLocale localeNamed(const QString& name)
{
    if (name == QLatin1String("de"))
        return QLocale(QLocale::German, QLocale::Germany);
    if (name == QLatin1String("fr"))
        return QLocale(QLocale::French, QLocale::France);
    if (name == QLatin1String("C"))
        return QLocale::c();
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

// A written value must read back as a plain number: optional minus, digits, at most
// one separator with digits after it (never ending in zero), and an exponent only in
// the form E+nn.
const QRegularExpression dotShape(
    QStringLiteral(R"(^-?(0|[1-9]\d*)(\.\d*[1-9])?(E[+-]\d\d+)?$)"));

int significantDigits(const QString& text)
{
    QString mantissa = text.section(QLatin1Char('E'), 0, 0);
    mantissa.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    while (mantissa.startsWith(QLatin1Char('0')))
        mantissa.remove(0, 1);
    return int(mantissa.size());
}

// What rounding half to even gives for a value that is exactly
// (whole + fraction / 2^bits), written with the fewest decimals. Worked out in whole
// numbers, so it shares nothing with the code under test.
QString evenRounded(std::int64_t whole, std::int64_t fraction, int bits, int decimals, bool negative)
{
    std::int64_t powerOf5 = 1;
    for (int i = 0; i < bits; ++i)
        powerOf5 *= 5;
    // value × 10^bits, exactly.
    const std::int64_t scaled = ((whole << bits) + fraction) * powerOf5;
    std::int64_t divisor = 1;
    for (int i = decimals; i < bits; ++i)
        divisor *= 10;
    std::int64_t kept = scaled / divisor;
    const std::int64_t rest = scaled % divisor;
    if (2 * rest > divisor || (2 * rest == divisor && kept % 2 != 0))
        ++kept;
    if (kept == 0)
        return QStringLiteral("0");
    std::int64_t unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    QString text = QString::number(kept / unit);
    QString digits = QString::number(kept % unit).rightJustified(decimals, QLatin1Char('0'));
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    if (!digits.isEmpty())
        text += QLatin1Char('.') + digits;
    return negative ? QLatin1Char('-') + text : text;
}

} // namespace

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void written_data();
    void written();
    void followsTheDefaultLocale();
    void exactTiesGoToEven_data();
    void exactTiesGoToEven();
    void anyValueIsWellFormed_data();
    void anyValueIsWellFormed();

private:
    QLocale m_startLocale;
};

void TestNumberText::cleanup()
{
    QLocale::setDefault(m_startLocale);
}

void TestNumberText::written_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    // Half to even on the double's exact binary value: only true ties go to even.
    QTest::newRow("0.0625 tie down to even") << 0.0625 << 3 << "en" << "0.062";
    QTest::newRow("0.1875 tie up to even") << 0.1875 << 3 << "en" << "0.188";
    QTest::newRow("0.4375 tie up to even") << 0.4375 << 3 << "en" << "0.438";
    QTest::newRow("1234.0625 tie down") << 1234.0625 << 3 << "en" << "1234.062";
    QTest::newRow("0.25 tie at one decimal") << 0.25 << 1 << "en" << "0.2";
    QTest::newRow("0.75 tie at one decimal") << 0.75 << 1 << "en" << "0.8";
    QTest::newRow("2.0005 lies above the half") << 2.0005 << 3 << "en" << "2.001";
    QTest::newRow("1.0005 lies below the half") << 1.0005 << 3 << "en" << "1";
    QTest::newRow("4.0005 lies below the half") << 4.0005 << 3 << "en" << "4";
    QTest::newRow("8.0005 lies above the half") << 8.0005 << 3 << "en" << "8.001";
    QTest::newRow("0.35 lies below the half") << 0.35 << 1 << "en" << "0.3";
    QTest::newRow("0.45 lies above the half") << 0.45 << 1 << "en" << "0.5";
    QTest::newRow("1.0045 lies below the half") << 1.0045 << 3 << "en" << "1.004";
    QTest::newRow("350 F in Celcius") << 176.66666666666666 << 1 << "en" << "176.7";
    QTest::newRow("pound in kilograms") << 0.45455 << 3 << "en" << "0.455";
    QTest::newRow("almost three") << 2.9999999999999996 << 3 << "en" << "3";
    QTest::newRow("1.9996") << 1.9996 << 3 << "en" << "2";

    // Whole numbers, no grouping, no trailing zeros.
    QTest::newRow("2000") << 2000.0 << 3 << "en" << "2000";
    QTest::newRow("1234567.25 to one decimal") << 1234567.25 << 1 << "en" << "1234567.2";
    QTest::newRow("1234567.5 German") << 1234567.5 << 3 << "de" << "1234567,5";
    QTest::newRow("2.5 keeps one decimal") << 2.5 << 3 << "en" << "2.5";
    QTest::newRow("30.48") << 30.48 << 3 << "en" << "30.48";
    QTest::newRow("0.001") << 0.001 << 3 << "en" << "0.001";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << 3 << "en" << "0.3";

    // Zero, and never a negative zero.
    QTest::newRow("zero") << 0.0 << 3 << "en" << "0";
    QTest::newRow("negative zero") << -0.0 << 3 << "en" << "0";
    QTest::newRow("-0.0004") << -0.0004 << 3 << "en" << "0";
    QTest::newRow("-0.04 to one decimal") << -0.04 << 1 << "en" << "0";
    QTest::newRow("0.0004") << 0.0004 << 3 << "en" << "0";
    QTest::newRow("1E-05") << 1e-5 << 3 << "en" << "0";
    QTest::newRow("smallest double") << std::numeric_limits<double>::denorm_min() << 3 << "en"
                                     << "0";
    QTest::newRow("0.0005 lies above the half") << 0.0005 << 3 << "en" << "0.001";

    // Negative values.
    QTest::newRow("-1.13636") << -1.1363636363636365 << 3 << "en" << "-1.136";
    QTest::newRow("-40") << -40.0 << 1 << "en" << "-40";
    QTest::newRow("-0.0005") << -0.0005 << 3 << "en" << "-0.001";
    QTest::newRow("-0.05 to one decimal") << -0.05 << 1 << "en" << "-0.1";
    QTest::newRow("-2.5 German") << -2.5 << 1 << "de" << "-2,5";

    // At most fifteen significant digits, scientific from 1E+15.
    QTest::newRow("16 digits after rounding") << 123456789012345.67 << 1 << "en"
                                              << "123456789012346";
    QTest::newRow("negative 16 digits") << -123456789012345.67 << 3 << "en" << "-123456789012346";
    QTest::newRow("17 digits at 3 decimals") << 12345678901234.567 << 3 << "en"
                                             << "12345678901234.6";
    QTest::newRow("just under 1E+15 rounds up to it") << 999999999999999.9 << 3 << "en" << "1E+15";
    QTest::newRow("1E+15") << 1e15 << 3 << "en" << "1E+15";
    QTest::newRow("-1E+15") << -1e15 << 1 << "en" << "-1E+15";
    QTest::newRow("1.23456789012346E+20") << 1.2345678901234568e20 << 3 << "en"
                                          << "1.23456789012346E+20";
    QTest::newRow("1.23456789012346E+20 German") << 1.2345678901234568e20 << 3 << "de"
                                                 << "1,23456789012346E+20";
    QTest::newRow("2E+20") << 2e20 << 3 << "en" << "2E+20";
    QTest::newRow("1E+300") << 1e300 << 3 << "en" << "1E+300";
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << 3 << "en"
                                    << "1.79769313486232E+308";
    QTest::newRow("1E+18 German") << 1e18 << 3 << "de" << "1E+18";
    QTest::newRow("below 1E+15 stays plain") << 999999999999999.0 << 3 << "en"
                                             << "999999999999999";

    // The locale's separator.
    QTest::newRow("comma, German") << 0.45455 << 3 << "de" << "0,455";
    QTest::newRow("comma, French") << 176.66666666666666 << 1 << "fr" << "176,7";
    QTest::newRow("dot, C locale") << 0.45455 << 3 << "C" << "0.455";
    QTest::newRow("whole number, German") << 2000.0 << 3 << "de" << "2000";
}

void TestNumberText::written()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(numberText(value, decimals, localeNamed(locale)), expected);
}

void TestNumberText::followsTheDefaultLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(numberText(0.45455, 3), QStringLiteral("0,455"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(numberText(0.45455, 3), QStringLiteral("0.455"));
}

void TestNumberText::exactTiesGoToEven_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("decimals");
    QTest::newRow("sixteenths to 3 decimals") << 4 << 3;
    QTest::newRow("64ths to 3 decimals") << 6 << 3;
    QTest::newRow("quarters to 1 decimal") << 2 << 1;
    QTest::newRow("32nds to 1 decimal") << 5 << 1;
}

void TestNumberText::exactTiesGoToEven()
{
    QFETCH(int, bits);
    QFETCH(int, decimals);
    const QLocale dot(QLocale::English, QLocale::UnitedStates);
    const std::int64_t steps = std::int64_t(1) << bits;
    int compared = 0;
    for (std::int64_t whole : {0, 1, 2, 7, 176, 999, 4096, 123457, 9999999}) {
        for (std::int64_t fraction = 0; fraction < steps; ++fraction) {
            const double value = double(whole) + double(fraction) / double(steps);
            for (bool negative : {false, true}) {
                const QString expected = evenRounded(whole, fraction, bits, decimals, negative);
                const QString shown = numberText(negative ? -value : value, decimals, dot);
                // "-0" can only come from a negative value that rounds away to nothing.
                const QString wanted =
                    expected == QLatin1String("-0") ? QStringLiteral("0") : expected;
                if (shown != wanted)
                    QFAIL(qPrintable(QStringLiteral("%1%2 at %3 decimals: got %4, expected %5")
                                         .arg(negative ? QStringLiteral("-") : QString())
                                         .arg(value, 0, 'g', 17)
                                         .arg(decimals)
                                         .arg(shown, wanted)));
                ++compared;
            }
        }
    }
    QVERIFY(compared > 0);
}

void TestNumberText::anyValueIsWellFormed_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::newRow("3 decimals, dot") << 3 << "en";
    QTest::newRow("1 decimal, dot") << 1 << "en";
    QTest::newRow("3 decimals, comma") << 3 << "de";
}

// Random values over the whole range of magnitudes: the text has the plain shape,
// at most 15 significant digits, and reads back within what rounding may cost.
void TestNumberText::anyValueIsWellFormed()
{
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    const QLocale target = localeNamed(locale);
    const QString separator = target.decimalPoint();
    QRandomGenerator random(20240611u + quint32(decimals));
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, -8.0 + random.bounded(308.0));
        const double value = (random.bounded(2) ? -1 : 1) * random.bounded(1.0) * magnitude;
        const QString shown = numberText(value, decimals, target);
        QString dotted = shown;
        dotted.replace(separator, QStringLiteral("."));
        const QString context = QStringLiteral("%1 -> %2").arg(value, 0, 'g', 17).arg(shown);
        if (separator != QLatin1String("."))
            QVERIFY2(!shown.contains(QLatin1Char('.')), qPrintable(context));
        QVERIFY2(dotShape.match(dotted).hasMatch(), qPrintable(context));
        QVERIFY2(significantDigits(dotted) <= 15, qPrintable(context));
        QVERIFY2(shown != QLatin1String("-0"), qPrintable(context));
        bool ok = false;
        const double back = QLocale::c().toDouble(dotted, &ok);
        QVERIFY2(ok, qPrintable(context));
        const double allowed = 0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-14;
        QVERIFY2(std::fabs(back - value) <= allowed, qPrintable(context));
        // Below 1E+15 the plain form is used, from there on the scientific one.
        QCOMPARE(dotted.contains(QLatin1Char('E')), std::fabs(back) >= 1e15);
    }
}

QTEST_MAIN(TestNumberText)
#include "tst_numbertext.moc"
