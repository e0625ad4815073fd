#include "ui/converter/QuantityBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>

#include <utility>

namespace pellimor {

QuantityBox::QuantityBox(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &QuantityBox::textWasEdited);
}

void QuantityBox::keyPressEvent(QKeyEvent* event)
{
    m_focusToReport = false;   // a key typed first keeps its place
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
    const Key outer = std::exchange(m_key, code >= 0 ? Key::Character : Key::Other);
    QLineEdit::keyPressEvent(event);
    m_key = outer;
}

void QuantityBox::textWasEdited()
{
    switch (m_key) {
    case Key::Character: break;   // already reported, before the character went in
    case Key::Other: emit editedWithoutCharacter(); break;
    case Key::None: emit keyPress(0); break;
    }
}

void QuantityBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // The focus coming back from a popup, the box's own context menu above all, is
    // the same focus going on: selecting everything then would make the menu's Paste
    // replace the text instead of pasting at the caret.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    if (event->reason() != Qt::ActiveWindowFocusReason) {
        emit gotFocus();
        return;
    }
    // Qt tells assistive technology of this focus only once this handler is over; a
    // selection made here would reach a screen reader first and be spoken without the
    // field's name. So it is reported on the next turn of the event loop, unless a key or
    // a click has used the box meanwhile.
    m_focusToReport = true;
    QMetaObject::invokeMethod(this, [this] {
        if (std::exchange(m_focusToReport, false) && hasFocus())
            emit gotFocus();
    }, Qt::QueuedConnection);
}

void QuantityBox::focusOutEvent(QFocusEvent* event)
{
    m_focusToReport = false;
    QLineEdit::focusOutEvent(event);
}

void QuantityBox::mousePressEvent(QMouseEvent* event)
{
    m_focusToReport = false;   // the click places the caret
    QLineEdit::mousePressEvent(event);
}

} // namespace pellimor
