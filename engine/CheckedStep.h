#pragma once

#include "engine/RuntimeError.h"

#include <cmath>

namespace pellimor {

// Floating-point arithmetic runs into infinity without complaint, but a conversion whose
// result no longer fits a double has to fail instead: the window then leaves its result
// box as it was. A value that was already infinite is carried along untouched.
inline double checkedStep(double input, double result)
{
    if (!std::isfinite(result) && std::isfinite(input)) [[unlikely]]
        throw RuntimeError(RuntimeError::Overflow, "Overflow");
    return result;
}

} // namespace pellimor
