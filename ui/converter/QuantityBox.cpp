#include "ui/converter/QuantityBox.h"

#include <QKeyEvent>

namespace pellimor {

QuantityBox::QuantityBox(QWidget* parent)
    : QLineEdit(parent)
{
}

void QuantityBox::keyPressEvent(QKeyEvent* event)
{
    int code = -1;
    switch (event->key()) {
    case Qt::Key_Backspace: code = 8; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Escape: code = 27; break;
    case Qt::Key_Delete: break;
    default: {
        // Control combinations type control characters (Ctrl+V is 22), as they do in
        // any text box; keys with no text, such as arrows, type nothing.
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).unicode() != 0x7F)
            code = text.at(0).unicode();
        break;
    }
    }
    if (code >= 0)
        emit keyPress(code);
    QLineEdit::keyPressEvent(event);
}

void QuantityBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    emit gotFocus();
}

} // namespace pellimor
