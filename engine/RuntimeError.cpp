#include "engine/RuntimeError.h"

#include <utility>

namespace pellimor {

RuntimeError::RuntimeError(int number, std::string description)
    : m_number(number)
    , m_description(std::move(description))
{
}

} // namespace pellimor
