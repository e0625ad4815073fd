#pragma once

#include <QLineEdit>

namespace pellimor {

// The quantity box reports each key that types a character (Backspace, Enter and
// Escape included; Delete, arrows and function keys not) before the character goes
// in, and when it receives the focus. Text that arrives without a key (pasted from the
// context menu or with the middle button, dropped, or committed by an input method)
// is reported as typed. An edit by a key that types no character, such as Delete, is
// reported as an edit only. The focus that comes back with the window's activation is
// reported just after Qt has announced it to assistive technology.
class QuantityBox : public QLineEdit {
    Q_OBJECT

public:
    explicit QuantityBox(QWidget* parent = nullptr);

signals:
    void keyPress(int keyAscii);
    void gotFocus();
    // The text was changed by a key that does not count as typing.
    void editedWithoutCharacter();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textWasEdited();

    enum class Key { None, Character, Other };
    Key m_key = Key::None;   // the key being handled, if any
    bool m_focusToReport = false;   // a focus from the window's activation, not reported yet
};

} // namespace pellimor
