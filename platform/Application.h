#pragma once

#include "pellimor_version.h"

#include <QString>

namespace pellimor {

// The application object: the title every message box without a caption of its own
// carries, and the version the splash and About windows show. The numbers come from
// the project's version, 1.4.0.3: major, minor, an unused field, revision.
//
// It lives with the platform services, the lowest room every window already uses (the
// message boxes read the title here too), so no window reaches up to the start-up code.
struct Application {
    static QString title() { return QStringLiteral("Pellimor"); }
    static constexpr int Major = PELLIMOR_VERSION_MAJOR;
    static constexpr int Minor = PELLIMOR_VERSION_MINOR;
    static constexpr int Revision = PELLIMOR_VERSION_TWEAK;

    // "Version 1.4.3": the third field of the release is never shown.
    static QString versionText()
    {
        return QStringLiteral("Version %1.%2.%3").arg(Major).arg(Minor).arg(Revision);
    }
};

} // namespace pellimor
