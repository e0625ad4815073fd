#include "conversion/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>

namespace pellimor {

QString numberText(double value, int decimals, const QLocale& locale)
{
    if (!std::isfinite(value))
        return QString::number(value);   // never reached from a conversion

    // to_chars writes exactly what printf would in the C locale, ties to even included,
    // whatever locale the process runs under.
    std::array<char, 400> buffer{};
    const char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals).ptr;
    double rounded = 0;
    std::from_chars(buffer.data(), end, rounded);
    if (rounded == 0)
        return QStringLiteral("0");

    // %.15G: fifteen significant digits, trailing zeros dropped, scientific from 1E+15.
    const char* last = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded,
                                     std::chars_format::general, 15).ptr;
    QString text = QString::fromLatin1(buffer.data(), int(last - buffer.data()));
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

namespace {

// Reads the text from a position on, one piece of the grammar at a time.
class Reader {
public:
    Reader(const QString& text, const QLocale& locale) : m_text(text), m_locale(locale) {}

    bool atEnd() const { return m_at == m_text.size(); }

    void skipBlanks()
    {
        while (!atEnd() && m_text.at(m_at).isSpace())
            ++m_at;
    }

    // The first of the given marks found here, taken; the longest are tried first by
    // the caller where one mark begins another.
    bool take(std::initializer_list<QString> marks)
    {
        for (const QString& mark : marks) {
            if (!mark.isEmpty() && QStringView(m_text).mid(m_at).startsWith(mark)) {
                m_at += mark.size();
                return true;
            }
        }
        return false;
    }

    // Digits written the plain way or in the locale's own script, as plain digits.
    QString takeDigits()
    {
        const QString zero = m_locale.zeroDigit();
        const char16_t localZero = zero.size() == 1 ? zero.at(0).unicode() : u'0';
        QString digits;
        for (; !atEnd(); ++m_at) {
            const char16_t c = m_text.at(m_at).unicode();
            if (c >= u'0' && c <= u'9')
                digits += QChar(c);
            else if (c >= localZero && c <= localZero + 9)
                digits += QChar(u'0' + (c - localZero));
            else
                break;
        }
        return digits;
    }

private:
    const QString& m_text;
    const QLocale& m_locale;
    qsizetype m_at = 0;
};

} // namespace

std::optional<double> readQuantity(const QString& text, const QLocale& locale)
{
    Reader reader(text, locale);
    // Written out plainly, with a dot and an "e", for the C locale to read.
    QString plain;
    reader.skipBlanks();
    // The locale's own signs, and the plain ones and the minus sign that every desktop
    // can type.
    const QString minus = QStringLiteral("\u2212");
    if (reader.take({locale.negativeSign(), QStringLiteral("-"), minus}))
        plain += QLatin1Char('-');
    else
        reader.take({locale.positiveSign(), QStringLiteral("+")});

    const QString whole = reader.takeDigits();
    QString fraction;
    if (reader.take({locale.decimalPoint()}))
        fraction = reader.takeDigits();
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    plain += (whole.isEmpty() ? QStringLiteral("0") : whole) + QLatin1Char('.') + fraction
             + QLatin1Char('0');

    if (reader.take({locale.exponential(), QStringLiteral("e"), QStringLiteral("E")})) {
        plain += QLatin1Char('e');
        if (reader.take({locale.negativeSign(), QStringLiteral("-"), minus}))
            plain += QLatin1Char('-');
        else
            reader.take({locale.positiveSign(), QStringLiteral("+")});
        const QString exponent = reader.takeDigits();
        if (exponent.isEmpty())
            return std::nullopt;
        plain += exponent;
    }
    reader.skipBlanks();
    if (!reader.atEnd())
        return std::nullopt;

    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace pellimor
