#pragma once

#include "platform/IMessages.h"

namespace pellimor {

// Real message boxes: modal QMessageBox with the icon and buttons the style asks for.
class MessageBoxes final : public IMessages {
public:
    void show(const QString& text, int style, const QString& title) override;
};

} // namespace pellimor
