#include "conversion/Conversion.h"

#include "catalogue/Categories.h"
#include "conversion/NumberText.h"
#include "engine/LengthCalculator.h"
#include "engine/RuntimeError.h"
#include "engine/TemperatureCalculator.h"
#include "engine/VolumeCalculator.h"
#include "engine/WeightCalculator.h"

#include <cmath>
#include <optional>

namespace pellimor {

namespace {

const QString InvalidCategoryMessage =
    QStringLiteral("The value in the Category list box is invalid.\n\n"
                   "Please select a valid value from the list.");

const QString InvalidQuantityMessage = QStringLiteral(
    "You entered an invalid value.\n\n"
    "Here are some hints on how to fix the problem:\n\n"
    "- Make sure that you use digits only -- no letters, "
    "spaces or special characters -- except "
    "the decimal separator if required.\n\n"
    "- Make sure that you use the appropriate "
    "decimal separator. If your computer has a North "
    "American setting, the separator is a dot. "
    "If it has a European setting, the separator is "
    "usually a comma. Check your computer's "
    "regional settings in the Control Panel.");

// A result beyond the double range used to end the request without a word, leaving
// an older line that no longer matched the chosen units; the user is told instead.
const QString TooLargeMessage =
    QStringLiteral("The result of this conversion is too large to show.\n\n"
                   "Please enter a smaller value.");

// Weights, volumes and lengths write their lines alike; only the calculator differs.
QString unitLine(const ICalculator& calculator, const QString& fromUnit, double quantity,
                 const QString& toUnit, const QString& quantityText, const QLocale& locale)
{
    const double result =
        calculator.CalculateValue(fromUnit.toStdString(), quantity, toUnit.toStdString());
    // The unrounded result decides the plural.
    const QString fromName = PluralizeUnit(fromUnit, std::fabs(quantity));
    const QString toName = PluralizeUnit(toUnit, std::fabs(result));
    return quantityText + QLatin1Char(' ') + fromName + QStringLiteral(" = ")
           + numberText(result, 3, locale) + QLatin1Char(' ') + toName;
}

using ResultLine = QString (*)(const QString&, double, const QString&, const QString&,
                               const QLocale&);

// Exactly, case and blanks included: the category box takes typed text too.
ResultLine resultLineOf(const QString& name)
{
    const auto is = [&name](std::string_view category) {
        return name == QLatin1StringView(category.data(), qsizetype(category.size()));
    };
    if (is(category::Temperatures))
        return &TemperatureResult;
    if (is(category::Weights))
        return &WeightResult;
    if (is(category::Volumes))
        return &VolumeResult;
    if (is(category::Lengths))
        return &LengthResult;
    return nullptr;
}

} // namespace

QString refusalTitle()
{
    return QStringLiteral("Invalid Value");
}

ConversionOutcome convert(const ConversionRequest& request) noexcept
{
    using Kind = ConversionOutcome::Kind;
    try {
        const ResultLine line = resultLineOf(request.category);
        if (!line)
            return {Kind::InvalidCategory, InvalidCategoryMessage};
        const std::optional<double> quantity = readQuantity(request.quantityText, request.locale);
        if (!quantity)
            return {Kind::InvalidQuantity, InvalidQuantityMessage};
        return {Kind::Line, line(request.fromUnit, *quantity, request.toUnit,
                                 request.quantityText, request.locale)};
    } catch (const RuntimeError& error) {
        const int number = error.number();
        if (number >= RuntimeError::TooLowForGasMark && number <= RuntimeError::NotAGasMark)
            return {Kind::GasMarkRange, QString::fromStdString(error.description())};
        if (number == RuntimeError::Overflow)
            return {Kind::TooLarge, TooLargeMessage};
    } catch (...) {
        // Any other failure ends the request silently, as the program always has.
    }
    return {Kind::Nothing, {}};
}

QString WeightResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale)
{
    return unitLine(WeightCalculator(), fromUnit, quantity, toUnit, quantityText, locale);
}

QString VolumeResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale)
{
    return unitLine(VolumeCalculator(), fromUnit, quantity, toUnit, quantityText, locale);
}

QString LengthResult(const QString& fromUnit, double quantity, const QString& toUnit,
                     const QString& quantityText, const QLocale& locale)
{
    return unitLine(LengthCalculator(), fromUnit, quantity, toUnit, quantityText, locale);
}

QString TemperatureResult(const QString& fromUnit, double quantity, const QString& toUnit,
                          const QString& quantityText, const QLocale& locale)
{
    const TemperatureCalculator calculator;
    const ICalculator& asked = calculator;
    const double result =
        asked.CalculateValue(fromUnit.toStdString(), quantity, toUnit.toStdString());
    const QString gasMark = QStringLiteral("Gas Mark");
    const QString degrees = QStringLiteral("\u00B0 ");
    const QString left = fromUnit == gasMark ? gasMark + QLatin1Char(' ') + quantityText
                                             : quantityText + degrees + fromUnit;
    const QString value = numberText(result, 1, locale);
    const QString right = toUnit == gasMark ? gasMark + QLatin1Char(' ') + value
                                            : value + degrees + toUnit;
    return left + QStringLiteral(" = ") + right;
}

QString PluralizeUnit(const QString& unitName, double magnitude)
{
    if (magnitude < 2)
        return unitName;
    if (unitName == QLatin1String("Inch"))
        return unitName + QStringLiteral("es");
    if (unitName == QLatin1String("Foot"))
        return QStringLiteral("Feet");
    return unitName + QStringLiteral("s");
}

} // namespace pellimor
