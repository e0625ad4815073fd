#pragma once

#include "platform/IBrowser.h"
#include "platform/IMessages.h"
#include "platform/IProcessLauncher.h"
#include "platform/IRegistry.h"

namespace pellimor {

// The outside world as the windows see it. Windows borrow these; the application owns
// the real ones and tests own fakes.
struct Services {
    IMessages& messages;
    IProcessLauncher& launcher;
    IRegistry& registry;
    IBrowser& browser;

    // The desktop's real services, created on first use and shared by every window.
    static Services real();
};

} // namespace pellimor
