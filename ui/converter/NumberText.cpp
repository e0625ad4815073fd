#include "ui/converter/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>

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

} // namespace pellimor
