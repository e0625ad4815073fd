#pragma once

class QUrl;

namespace pellimor {

// Opens a web address in the desktop's browser, in a window of its own.
class IBrowser {
public:
    virtual ~IBrowser() = default;
    virtual bool open(const QUrl& url) = 0;   // false when nothing took the link
};

} // namespace pellimor
