#pragma once

#include <QStringList>

#include <cstddef>
#include <cstdint>

// One whole conversion request per input, made as a user would in the converter window.
// Byte 0: bit 0 the locale (0 decimal dot, 1 decimal comma), bits 1-2 the category row,
// bits 3-5 from 5 up edit the category text afterwards to a name that is none of the four;
// bytes 1 and 2: the From and To rows modulo the unit count; the rest: the quantity text
// as UTF-8, valid or not. An ill-formed outcome aborts.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace pellimor::fuzz {
// The outcomes reached so far: a line of each category or a message of each kind, per locale.
QStringList reachedOutcomes();
// Destroys the window and the application made by LLVMFuzzerInitialize.
void shutdown();
} // namespace pellimor::fuzz
