#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace pellimor {

// A converted value as the result line writes it: rounded half to even at the given
// number of decimals (on the double's exact binary value), then at most 15
// significant digits, no digit grouping, no trailing zeros, no separator for a whole
// number, the locale's decimal separator, and "0" (never "-0") for a value that
// rounds to zero. From 1E+15 on the value is written in scientific form, such as
// "1E+15" or "1.23456789012346E+20".
QString numberText(double value, int decimals, const QLocale& locale = QLocale());

// A typed quantity, read under the locale: blanks, an optional sign, digits with at
// most one decimal separator of the locale, an optional exponent, blanks. Nothing
// else: a digit-group separator anywhere makes the text no number, so "1,000" is not
// a thousand where the separator is a dot, and "0,455" there is not 455 either.
// Nothing, too, for a text whose value lies beyond the double's range.
std::optional<double> readQuantity(const QString& text, const QLocale& locale = QLocale());

} // namespace pellimor
