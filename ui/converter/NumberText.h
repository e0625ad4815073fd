#pragma once

#include <QLocale>
#include <QString>

namespace pellimor {

// A converted value as the result line writes it: rounded half to even at the given
// number of decimals (on the double's exact binary value), then at most 15
// significant digits, no digit grouping, no trailing zeros, no separator for a whole
// number, the locale's decimal separator, and "0" (never "-0") for a value that
// rounds to zero. From 1E+15 on the value is written in scientific form, such as
// "1E+15" or "1.23456789012346E+20".
QString numberText(double value, int decimals, const QLocale& locale = QLocale());

} // namespace pellimor
