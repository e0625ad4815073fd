#pragma once

#include <string>
#include <string_view>

namespace pellimor {

// One unit-pair key of a calculator that goes through a base unit: the step from the
// start unit, and the step on to the return unit when neither of them is the base.
template <class Calculator>
struct StepRoute {
    using Step = double (Calculator::*)(double) const;
    std::string_view key;
    Step first;
    Step second;
};

// The dispatch shared by the calculators that go through a base unit: equal names give
// the quantity back untouched, a known key runs its one or two steps (the second on the
// double result of the first), and any other pair gives 0. A key is nothing but the two
// names joined, so "GramK" and "ilogram" find "GramKilogram".
template <class Calculator, std::size_t N>
double runRoute(const Calculator& calculator, const StepRoute<Calculator> (&routes)[N],
                const std::string& startUnit, double startValue, const std::string& returnUnit)
{
    if (startUnit == returnUnit)
        return startValue;
    const std::string key = startUnit + returnUnit;
    for (const StepRoute<Calculator>& route : routes) {
        if (route.key != key)
            continue;
        double result = (calculator.*route.first)(startValue);
        if (route.second)
            result = (calculator.*route.second)(result);
        return result;
    }
    return 0;
}

} // namespace pellimor
