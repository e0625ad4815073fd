#pragma once

#include <exception>
#include <string>

namespace pellimor {

// A failed operation: an error number and the text the user is shown for it.
class RuntimeError : public std::exception {
public:
    // Numbers in use.
    static constexpr int Overflow = 6;
    static constexpr int TypeMismatch = 13;
    static constexpr int TooLowForGasMark = 330;
    static constexpr int TooHighForGasMark = 331;
    static constexpr int NotAGasMark = 333;

    RuntimeError(int number, std::string description);

    int number() const noexcept { return m_number; }
    const std::string& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    int m_number;
    std::string m_description;
};

} // namespace pellimor
