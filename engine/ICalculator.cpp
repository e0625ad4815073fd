#include "engine/ICalculator.h"

namespace pellimor {

double ICalculator::CalculateValue(std::string /*StartUnit*/, double /*StartValue*/,
                                   std::string /*ReturnUnit*/) const
{
    return 0;
}

} // namespace pellimor
