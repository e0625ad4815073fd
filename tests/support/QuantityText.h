#pragma once

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <optional>

namespace pellimor::test {

// What a quantity is, written out again apart from the program, for the tests to judge
// its answers by: blanks, a sign, plain digits with at most one decimal separator of the
// default locale, an exponent, blanks (a sign may be the minus sign, U+2212); no digit
// grouping, nothing beyond the double's range.
inline std::optional<double> quantityOf(const QString& text)
{
    const QString separator = QLocale().decimalPoint();
    // One per separator, made once: the fuzzer asks this of every input.
    static thread_local QHash<QString, QRegularExpression> shapes;
    auto found = shapes.find(separator);
    if (found == shapes.end())
        found = shapes.insert(separator, QRegularExpression(
            QStringLiteral(R"(^\s*([+\-\x{2212}]?([0-9]+(%1[0-9]*)?|%1[0-9]+)([eE][+\-\x{2212}]?[0-9]+)?)\s*$)")
                .arg(QRegularExpression::escape(separator)),
            QRegularExpression::UseUnicodePropertiesOption));
    const QRegularExpression& shape = *found;
    const QRegularExpressionMatch match = shape.match(text);
    bool ok = false;
    const double value =
        match.hasMatch()
            ? QLocale::c().toDouble(match.captured(1).replace(separator, ".").replace(QChar(0x2212), u'-'), &ok)
            : 0;
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace pellimor::test
