#pragma once

#include <QString>

namespace pellimor::test {

// The messages a refused conversion shows, written out as the program promises them, for
// the tests to judge its answers by; none is read from the program itself.
inline const QString InvalidCategory =
    "The value in the Category list box is invalid.\n\nPlease select a valid value from the list.";
inline const QString InvalidQuantity =
    "You entered an invalid value.\n\nHere are some hints on how to fix the problem:\n\n"
    "- Make sure that you use digits only -- no letters, spaces or special characters -- except the "
    "decimal separator if required.\n\n- Make sure that you use the appropriate decimal separator. If "
    "your computer has a North American setting, the separator is a dot. If it has a European setting, "
    "the separator is usually a comma. Check your computer's regional settings in the Control Panel.";
inline const QString TooLow = "This temperature is too low for a gas mark. Please try another temperature.";
inline const QString TooHigh = "This temperature is too high for a gas mark. Please try another temperature.";
inline const QString NotAMark =
    "This is not a valid gas mark value. Please select an integer value between 1 and 9.";
inline const QString TooLarge =
    "The result of this conversion is too large to show.\n\nPlease enter a smaller value.";

} // namespace pellimor::test
