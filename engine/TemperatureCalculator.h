#pragma once

#include "engine/ICalculator.h"

#include <cstdint>

namespace pellimor {

// Temperatures and oven gas marks. The converter window builds one when the user asks
// for a temperature and shows the description of any RuntimeError it raises: a
// temperature outside the gas-mark scale or a gas mark that is not one of the nine.
// Celcius and Fahrenheit convert by formula; gas marks only to and from Fahrenheit.
class TemperatureCalculator : public ICalculator {
public:
    double CalculateValue(std::string StartUnit, double StartValue,
                          std::string ReturnUnit) const override;

private:
    double CelciusToFahrenheit(double value) const;
    double FahrenheitToCelcius(double value) const;
    std::int16_t FahrenheitToGasMark(double value) const;
    double GasMarkToFahrenheit(double value) const;
};

} // namespace pellimor
