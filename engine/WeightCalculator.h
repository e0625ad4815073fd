#pragma once

#include "engine/ICalculator.h"

namespace pellimor {

// Weights. The converter window builds one when the user asks for a weight; the unit
// names it passes are the catalogue's, and every pair goes through grams.
class WeightCalculator : public ICalculator {
public:
    double CalculateValue(std::string StartUnit, double StartValue,
                          std::string ReturnUnit) const override;

private:
    double GramToKilogram(double value) const;
    double KilogramToGram(double value) const;
    double GramToMilligram(double value) const;
    double MilligramToGram(double value) const;
    double GramToPound(double value) const;
    double PoundToGram(double value) const;
    double GramToOunce(double value) const;
    double OunceToGram(double value) const;
};

} // namespace pellimor
