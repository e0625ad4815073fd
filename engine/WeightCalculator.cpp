#include "engine/WeightCalculator.h"

#include "engine/CheckedStep.h"
#include "engine/StepRoute.h"

namespace pellimor {

double WeightCalculator::CalculateValue(std::string StartUnit, double StartValue,
                                        std::string ReturnUnit) const
{
    // Pounds and ounces are not consistent with each other (16 ounces are 454.56 g), so
    // no pair may take a shortcut: it is one step to or from grams, or exactly two.
    static constexpr StepRoute<WeightCalculator> routes[] = {
        {"GramKilogram", &WeightCalculator::GramToKilogram, nullptr},
        {"GramMilligram", &WeightCalculator::GramToMilligram, nullptr},
        {"GramPound", &WeightCalculator::GramToPound, nullptr},
        {"GramOunce", &WeightCalculator::GramToOunce, nullptr},
        {"KilogramGram", &WeightCalculator::KilogramToGram, nullptr},
        {"KilogramMilligram", &WeightCalculator::KilogramToGram, &WeightCalculator::GramToMilligram},
        {"KilogramPound", &WeightCalculator::KilogramToGram, &WeightCalculator::GramToPound},
        {"KilogramOunce", &WeightCalculator::KilogramToGram, &WeightCalculator::GramToOunce},
        {"MilligramGram", &WeightCalculator::MilligramToGram, nullptr},
        {"MilligramKilogram", &WeightCalculator::MilligramToGram, &WeightCalculator::GramToKilogram},
        {"MilligramPound", &WeightCalculator::MilligramToGram, &WeightCalculator::GramToPound},
        {"MilligramOunce", &WeightCalculator::MilligramToGram, &WeightCalculator::GramToOunce},
        {"PoundGram", &WeightCalculator::PoundToGram, nullptr},
        {"PoundKilogram", &WeightCalculator::PoundToGram, &WeightCalculator::GramToKilogram},
        {"PoundMilligram", &WeightCalculator::PoundToGram, &WeightCalculator::GramToMilligram},
        {"PoundOunce", &WeightCalculator::PoundToGram, &WeightCalculator::GramToOunce},
        {"OunceGram", &WeightCalculator::OunceToGram, nullptr},
        {"OunceKilogram", &WeightCalculator::OunceToGram, &WeightCalculator::GramToKilogram},
        {"OunceMilligram", &WeightCalculator::OunceToGram, &WeightCalculator::GramToMilligram},
        {"OuncePound", &WeightCalculator::OunceToGram, &WeightCalculator::GramToPound},
    };

    return runRoute(*this, routes, StartUnit, StartValue, ReturnUnit);
}

double WeightCalculator::GramToKilogram(double value) const { return checkedStep(value, value / 1000); }
double WeightCalculator::KilogramToGram(double value) const { return checkedStep(value, value * 1000); }
double WeightCalculator::GramToMilligram(double value) const { return checkedStep(value, value * 1000); }
double WeightCalculator::MilligramToGram(double value) const { return checkedStep(value, value / 1000); }
double WeightCalculator::GramToPound(double value) const { return checkedStep(value, value / 454.55); }
double WeightCalculator::PoundToGram(double value) const { return checkedStep(value, value * 454.55); }
double WeightCalculator::GramToOunce(double value) const { return checkedStep(value, value / 28.41); }
double WeightCalculator::OunceToGram(double value) const { return checkedStep(value, value * 28.41); }

} // namespace pellimor
