#include "platform/Services.h"

#include "platform/DesktopBrowser.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"
#include "platform/SystemRegistry.h"

namespace pellimor {

Services Services::real()
{
    // Stateless and free of Qt resources, so they may live until the process ends.
    static MessageBoxes messages;
    static ProcessLauncher launcher;
    static SystemRegistry registry;
    static DesktopBrowser browser;
    return Services{messages, launcher, registry, browser};
}

} // namespace pellimor
