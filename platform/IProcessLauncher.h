#pragma once

class QString;

namespace pellimor {

// Window styles for a started program, as the platform numbers them.
enum WindowStyle : int {
    HiddenWindow = 0,
    NormalFocus = 1,   // a normal window that takes the focus
};

// Starts outside programs without waiting for them.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // False when the program could not be started.
    virtual bool start(const QString& path, int windowStyle) = 0;
    // True for an existing plain file: not a folder, not hidden, not a system file.
    virtual bool normalFileExists(const QString& path) = 0;
};

} // namespace pellimor
