#pragma once

#include <QLocale>
#include <QString>

namespace pellimor {

// One conversion request as the converter window's controls hold it when a To unit is
// picked. Nothing here has been checked yet.
struct ConversionRequest {
    QString category;       // the category box's text, typed over or not
    QString fromUnit;       // empty when no From unit is selected
    QString quantityText;   // as typed: the line shows it unchanged
    QString toUnit;
    QLocale locale;         // reads the quantity and writes the result
};

// What the window does with a request: write a line, show one message, or nothing.
struct ConversionOutcome {
    enum class Kind {
        Line,              // text: the result line
        InvalidCategory,   // text: the message; the focus goes to the category box
        InvalidQuantity,   // text: the message; the quantity step waits again
        GasMarkRange,      // text: the temperature calculator's own description
        TooLarge,          // text: the message; the result would not fit a double
        Nothing,           // any other failure ends the request without a word
    };
    Kind kind = Kind::Nothing;
    QString text;
};

// The title of every message a request shows.
QString refusalTitle();

// Checks, in this order, the category text (the quantity is not looked at when it is
// none of the four), then the quantity text under the request's locale, then lets the
// category's calculator convert and writes the line. Throws nothing.
ConversionOutcome convert(const ConversionRequest& request) noexcept;

// The lines of each category, for a quantity already read. They throw what the
// calculator throws.
QString WeightResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale);
QString VolumeResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale);
QString LengthResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale);
QString TemperatureResult(const QString& fromUnit, double quantity, const QString& toUnit,
                          const QString& quantityText, const QLocale& locale);

// A unit name as a line prints it for a quantity of that magnitude: plural from 2 on.
QString PluralizeUnit(const QString& unitName, double magnitude);

} // namespace pellimor
