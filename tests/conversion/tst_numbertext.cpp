#include "conversion/NumberText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <limits>

using namespace pellimor;

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void written_data();
    void written();
    void anyValueIsWellFormed_data();
    void anyValueIsWellFormed();
    void read_data();
    void read();
};

void TestNumberText::written_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QLocale dot = QLocale::c();
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale fr(QLocale::French, QLocale::France);

    // Half to even on the double's exact binary value: only true ties go to even.
    QTest::newRow("0.0625 tie down to even") << 0.0625 << 3 << dot << "0.062";
    QTest::newRow("0.1875 tie up to even") << 0.1875 << 3 << dot << "0.188";
    QTest::newRow("0.25 tie at one decimal") << 0.25 << 1 << dot << "0.2";
    QTest::newRow("2.0005 lies above the half") << 2.0005 << 3 << dot << "2.001";
    QTest::newRow("1.0005 lies below the half") << 1.0005 << 3 << dot << "1";
    QTest::newRow("almost three") << 2.9999999999999996 << 3 << dot << "3";
    // No grouping, no trailing zeros, the locale's separator.
    QTest::newRow("2000") << 2000.0 << 3 << dot << "2000";
    QTest::newRow("1234567.5 German") << 1234567.5 << 3 << de << "1234567,5";
    QTest::newRow("pound in kilograms, German") << 0.45455 << 3 << de << "0,455";
    QTest::newRow("350 F in Celcius, French") << 176.66666666666666 << 1 << fr << "176,7";
    // Zero, and never a negative zero.
    QTest::newRow("negative zero") << -0.0 << 3 << dot << "0";
    QTest::newRow("-0.0004 rounds away") << -0.0004 << 3 << dot << "0";
    QTest::newRow("smallest double") << std::numeric_limits<double>::denorm_min() << 3 << dot << "0";
    QTest::newRow("-0.0005 lies above the half") << -0.0005 << 3 << dot << "-0.001";
    // At most fifteen significant digits, scientific from 1E+15, never "inf".
    QTest::newRow("16 digits after rounding") << 123456789012345.67 << 1 << dot << "123456789012346";
    QTest::newRow("17 digits at 3 decimals") << 12345678901234.567 << 3 << dot << "12345678901234.6";
    QTest::newRow("below 1E+15 stays plain") << 999999999999999.0 << 3 << dot << "999999999999999";
    QTest::newRow("rounds up to 1E+15") << 999999999999999.9 << 3 << dot << "1E+15";
    QTest::newRow("-1E+15") << -1e15 << 1 << dot << "-1E+15";
    QTest::newRow("1.23456789012346E+20 German") << 1.2345678901234568e20 << 3 << de << "1,23456789012346E+20";
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << 3 << dot << "1.79769313486232E+308";
}

void TestNumberText::written()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(numberText(value, decimals, locale), expected);

    // The window passes no locale: the default one decides the separator.
    const QLocale start;
    QLocale::setDefault(locale);
    const QString viaDefault = numberText(value, decimals);
    QLocale::setDefault(start);
    QCOMPARE(viaDefault, expected);
}

void TestNumberText::anyValueIsWellFormed_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("3 decimals, dot") << 3 << QLocale::c();
    QTest::newRow("1 decimal, dot") << 1 << QLocale::c();
    QTest::newRow("3 decimals, comma") << 3 << QLocale(QLocale::German, QLocale::Germany);
}

// Random values over the whole range of magnitudes: a plain number of at most 15
// significant digits, that reads back within what rounding may cost.
void TestNumberText::anyValueIsWellFormed()
{
    QFETCH(int, decimals);
    QFETCH(QLocale, locale);
    // Optional minus, no leading or trailing zeros, an exponent only as E+nn.
    static const QRegularExpression shape(QStringLiteral(R"(^-?(0|[1-9]\d*)(\.\d*[1-9])?(E\+\d\d+)?$)"));
    static const QRegularExpression notCounted(QStringLiteral("^[-.0]+|[-.]"));
    QRandomGenerator random(20240611u + quint32(decimals));
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, -8.0 + random.bounded(308.0));
        const double value = (random.bounded(2) ? -1 : 1) * random.bounded(1.0) * magnitude;
        const QString shown = numberText(value, decimals, locale);
        const QString context = QStringLiteral("%1 -> %2").arg(value, 0, 'g', 17).arg(shown);
        QVERIFY2(locale.decimalPoint() == QLatin1String(".") || !shown.contains(QLatin1Char('.')),
                 qPrintable(context));
        const QString dotted = QString(shown).replace(locale.decimalPoint(), QStringLiteral("."));
        QVERIFY2(shape.match(dotted).hasMatch() && dotted != QLatin1String("-0")
                     && dotted.section(QLatin1Char('E'), 0, 0).remove(notCounted).size() <= 15,
                 qPrintable(context));
        const double back = dotted.toDouble();
        const double allowed = 0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-14;
        QVERIFY2(std::fabs(back - value) <= allowed, qPrintable(context));
        QCOMPARE(dotted.contains(QLatin1Char('E')), std::fabs(back) >= 1e15);
    }
}

void TestNumberText::read_data()
{
    // A typed text and what it reads as where the decimal separator is a dot (en_US) and
    // where it is a comma (de_DE); "-" for no number at all.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dot");
    QTest::addColumn<QString>("comma");
    const struct { const char *text, *dot, *comma; } rows[] = {
        {"2", "2", "2"},
        {"-40", "-40", "-40"},
        {" 2 ", "2", "2"},
        {"+2", "2", "2"},
        {"\u22122", "-2", "-2"},
        {"1e3", "1000", "1000"},
        {"2.5e-1", "0.25", "-"},
        {".5", "0.5", "-"},
        {",5", "-", "0.5"},
        {"2,5", "-", "2.5"},
        // Digit grouping is never read: neither the locale's own nor the other one.
        {"0,455", "-", "0.455"},
        {"1,000", "-", "1"},
        {"1.000", "1", "-"},
        {"1.000,5", "-", "-"},
        {"1 000", "-", "-"},
        {"", "-", "-"},
        {"-", "-", "-"},
        {"e3", "-", "-"},
        {"1e", "-", "-"},
        {"--2", "-", "-"},
        {"0x10", "-", "-"},
        {"inf", "-", "-"},
        {"\uFF12", "-", "-"},   // a full-width digit
        {"1e400", "-", "-"},      // beyond the double's range
        {"1e-400", "-", "-"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.text) << QString::fromUtf8(row.text) << row.dot << row.comma;
}

// One grammar for every quantity, under the locale's own decimal separator; the default
// locale decides when none is given.
void TestNumberText::read()
{
    QFETCH(QString, text);
    QFETCH(QString, dot);
    QFETCH(QString, comma);
    const QLocale start;
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const QString expected = locale.decimalPoint() == u'.' ? dot : comma;
        QLocale::setDefault(locale);
        const std::optional<double> read = readQuantity(text);
        QLocale::setDefault(start);
        QCOMPARE(read.has_value(), expected != u"-");
        if (read)
            QCOMPARE(*read, QLocale::c().toDouble(expected));
    }
}

QTEST_MAIN(TestNumberText)
#include "tst_numbertext.moc"
