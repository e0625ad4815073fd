#include "engine/TemperatureCalculator.h"

#include "engine/CheckedStep.h"
#include "engine/RuntimeError.h"

#include <iterator>
#include <string_view>

namespace pellimor {

namespace {

constexpr const char* TooLowText =
    "This temperature is too low for a gas mark. " "Please try another temperature.";
constexpr const char* TooHighText =
    "This temperature is too high for a gas mark. " "Please try another temperature.";
constexpr const char* NotAGasMarkText =
    "This is not a valid gas mark value. " "Please select an integer value between 1 and 9.";

constexpr int FirstMark = 1;
constexpr int LastMark = 9;

// Mark k stands for 250 + 25k degrees Fahrenheit and covers the band above 237 + 25k up
// to and including 262 + 25k; its own temperature lies inside, so a mark taken to
// Fahrenheit and back is the same mark. Up to 262 is too cool for mark 1.
constexpr double markFahrenheit(int mark) { return 250 + 25 * mark; }
constexpr double bandTop(int mark) { return 262 + 25 * mark; }

bool isGasMark(double value)
{
    for (int mark = FirstMark; mark <= LastMark; ++mark) {
        if (value == mark)
            return true;
    }
    return false;
}

// Positions in the key table below.
enum Rule {
    CelciusFahrenheit,
    FahrenheitCelcius,
    CelciusCelcius,
    FahrenheitFahrenheit,
    GasMarkCelcius,
    GasMarkFahrenheit,
    GasMarkGasMark,
    FahrenheitGasMark,
    CelciusGasMark,
};

constexpr std::string_view keys[] = {
    "CelciusFahrenheit",
    "FahrenheitCelcius",
    "CelciusCelcius",
    "FahrenheitFahrenheit",
    "Gas MarkCelcius",
    "Gas MarkFahrenheit",
    "Gas MarkGas Mark",
    "FahrenheitGas Mark",
    "CelciusGas Mark",
};

int ruleOf(const std::string& startUnit, const std::string& returnUnit)
{
    const std::string key = startUnit + returnUnit;
    for (int rule = 0; rule < static_cast<int>(std::size(keys)); ++rule) {
        if (keys[rule] == key)
            return rule;
    }
    return -1;
}

} // namespace

// No shortcut for equal names here: a gas mark asked for in gas marks must still be one
// of the nine, so the same-unit pairs are keys of their own.
double TemperatureCalculator::CalculateValue(std::string StartUnit, double StartValue,
                                             std::string ReturnUnit) const
{
    switch (ruleOf(StartUnit, ReturnUnit)) {
    case CelciusFahrenheit:
        return CelciusToFahrenheit(StartValue);
    case FahrenheitCelcius:
        return FahrenheitToCelcius(StartValue);
    case CelciusCelcius:
    case FahrenheitFahrenheit:
        return StartValue;
    case GasMarkCelcius:
        StartValue = GasMarkToFahrenheit(StartValue);
        return FahrenheitToCelcius(StartValue);
    case GasMarkFahrenheit:
        return GasMarkToFahrenheit(StartValue);
    case GasMarkGasMark:
        if (!isGasMark(StartValue))
            throw RuntimeError(RuntimeError::NotAGasMark, NotAGasMarkText);
        return StartValue;
    case FahrenheitGasMark:
        return FahrenheitToGasMark(StartValue);
    case CelciusGasMark:
        StartValue = CelciusToFahrenheit(StartValue);
        return FahrenheitToGasMark(StartValue);
    default:
        return 0;
    }
}

double TemperatureCalculator::CelciusToFahrenheit(double value) const
{
    double r = value * 9;
    r = r / 5;
    r = r + 32;
    return checkedStep(value, r);
}

double TemperatureCalculator::FahrenheitToCelcius(double value) const
{
    double r = value - 32;
    r = r * 5;
    r = r / 9;
    return checkedStep(value, r);
}

std::int16_t TemperatureCalculator::FahrenheitToGasMark(double value) const
{
    if (value <= bandTop(FirstMark - 1))
        throw RuntimeError(RuntimeError::TooLowForGasMark, TooLowText);
    for (std::int16_t mark = FirstMark; mark <= LastMark; ++mark) {
        if (value <= bandTop(mark))
            return mark;
    }
    if (value > bandTop(LastMark))
        throw RuntimeError(RuntimeError::TooHighForGasMark, TooHighText);
    return 0;   // only a NaN fails every band
}

double TemperatureCalculator::GasMarkToFahrenheit(double value) const
{
    for (int mark = FirstMark; mark <= LastMark; ++mark) {
        if (value == mark)
            return markFahrenheit(mark);
    }
    throw RuntimeError(RuntimeError::NotAGasMark, NotAGasMarkText);
}

} // namespace pellimor
