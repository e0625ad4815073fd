#pragma once

#include <string>

namespace pellimor {

// One category's conversions. Callers hold a calculator through this interface only.
// The interface is a usable calculator of its own that knows no units at all.
class ICalculator {
public:
    virtual ~ICalculator() = default;

    // The quantity StartValue in StartUnit, expressed in ReturnUnit. The arguments are
    // the caller's copies to keep. A pair of units the calculator has no conversion
    // for gives 0. Failures throw RuntimeError.
    virtual double CalculateValue(std::string StartUnit, double StartValue,
                                  std::string ReturnUnit) const;
};

} // namespace pellimor
