#pragma once

#include "engine/ICalculator.h"

namespace pellimor {

// Lengths. The converter window builds one when the user asks for a length; the unit
// names it passes are the catalogue's, and every pair goes through centimeters.
class LengthCalculator : public ICalculator {
public:
    double CalculateValue(std::string StartUnit, double StartValue,
                          std::string ReturnUnit) const override;

private:
    double InchToCentimeter(double value) const;
    double CentimeterToInch(double value) const;
    double CentimeterToMeter(double value) const;
    double MeterToCentimeter(double value) const;
    double CentimeterToMillimeter(double value) const;
    double MillimeterToCentimeter(double value) const;
    double CentimeterToFoot(double value) const;
    double FootToCentimeter(double value) const;
};

} // namespace pellimor
