#pragma once

#include "platform/IProcessLauncher.h"

namespace pellimor {

// Starts programs detached from this process, so they outlive it.
class ProcessLauncher final : public IProcessLauncher {
public:
    bool start(const QString& path, int windowStyle) override;
    bool normalFileExists(const QString& path) override;
};

} // namespace pellimor
