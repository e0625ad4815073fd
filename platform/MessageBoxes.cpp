#include "platform/MessageBoxes.h"

#include "platform/Application.h"

#include <QApplication>
#include <QMessageBox>

namespace pellimor {

void MessageBoxes::show(const QString& text, int style, const QString& title)
{
    // Style: the low nibble picks the buttons (only OK is used), 16 adds the stop icon.
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case Critical: icon = QMessageBox::Critical; break;
    case Exclamation: icon = QMessageBox::Warning; break;
    default: break;
    }
    const QString caption = title.isEmpty() ? Application::title() : title;
    QMessageBox box(icon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace pellimor
