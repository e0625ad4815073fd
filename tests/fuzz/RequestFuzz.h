#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// One whole conversion request per input, as the user would make it in the converter
// window: pick a category, a From unit, type the quantity, pick a To unit. The input's
// first three bytes choose the locale, the category (and whether its text was edited
// afterwards), the From row and the To row; the rest is the quantity text as UTF-8,
// valid or not.
//
//   byte 0, bit 0      0: a locale with a decimal dot, 1: one with a decimal comma
//   byte 0, bits 1-2   the category's row in the category box
//   byte 0, bits 3-5   5, 6, 7: the category text is then edited to a name that is not
//                      one of the four (lower case, a trailing blank, the placeholder)
//   byte 1, byte 2     the From and the To row, modulo the number of units
//
// Whatever the request ends in must be well formed; anything else aborts, which is
// what libFuzzer and the corpus replay report.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace pellimor::fuzz {

enum class Outcome {
    LengthLine,
    TemperatureLine,
    VolumeLine,
    WeightLine,
    InvalidCategory,
    InvalidQuantity,
    TooLowForGasMark,
    TooHighForGasMark,
    NotAGasMark,
    TooLarge,
};
constexpr std::size_t OutcomeCount = 10;
constexpr std::size_t LocaleCount = 2;

const char* outcomeName(Outcome outcome);
const char* localeName(std::size_t locale);

// How many inputs ended in each outcome, per locale, since the start.
using Tally = std::array<std::array<long, OutcomeCount>, LocaleCount>;
const Tally& tally();
// The last input's outcome and the line or message it showed.
QString lastReport();

// Destroys the window and the application object made by LLVMFuzzerInitialize.
void shutdown();

} // namespace pellimor::fuzz
