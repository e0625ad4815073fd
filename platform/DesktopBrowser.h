#pragma once

#include "platform/IBrowser.h"

namespace pellimor {

// Hands the address to the desktop's default browser.
class DesktopBrowser final : public IBrowser {
public:
    bool open(const QUrl& url) override;
};

} // namespace pellimor
