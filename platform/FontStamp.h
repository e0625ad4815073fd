#pragma once

#include <QByteArray>

namespace pellimor {

// A fingerprint of what the system's text drawing is made from: the font library's
// version, its configuration files and every folder of fonts with their modification
// times, and the FreeType settings of the environment. Two starts with the same stamp
// see the same fonts with the same rules; installing, removing or reconfiguring fonts
// changes it, just as it makes the font library read its folders again.
// Empty where the font library cannot say, which matches no stamp kept before.
// Safe to call from any thread; the work is done once, by whichever thread asks first.
QByteArray fontSystemStamp();

} // namespace pellimor
