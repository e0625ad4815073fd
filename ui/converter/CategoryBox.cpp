#include "ui/converter/CategoryBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace pellimor {

CategoryBox::CategoryBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would turn typing into picks; typed text must stay just text.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
}

void CategoryBox::showPopup()
{
    emit dropDown();
    QComboBox::showPopup();
}

bool CategoryBox::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the edit field would select a matching entry and report it as a pick.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace pellimor
