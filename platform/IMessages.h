#pragma once

#include <QString>

namespace pellimor {

// Message box styles the program uses, as the numbers the windows pass around.
enum MessageStyle : int {
    OkOnly = 0,       // one OK button, no icon
    Critical = 16,    // stop icon with one OK button
    Exclamation = 48, // warning icon with one OK button
};

// A modal message box: blocks until the user closes it. An empty title means the
// application's title.
class IMessages {
public:
    virtual ~IMessages() = default;
    virtual void show(const QString& text, int style, const QString& title) = 0;
};

} // namespace pellimor
