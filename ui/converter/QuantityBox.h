#pragma once

#include <QLineEdit>

namespace pellimor {

// The quantity box reports each key that types a character (Backspace, Enter and
// Escape included; Delete, arrows and function keys not) before the character goes
// in, and when it receives the focus.
class QuantityBox : public QLineEdit {
    Q_OBJECT

public:
    explicit QuantityBox(QWidget* parent = nullptr);

signals:
    void keyPress(int keyAscii);
    void gotFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace pellimor
