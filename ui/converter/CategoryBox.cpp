#include "ui/converter/CategoryBox.h"

#include <QLineEdit>

namespace pellimor {

CategoryBox::CategoryBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would turn typing into picks; typed text must stay just text.
    setCompleter(nullptr);
    // When its edit field finishes editing (Enter, or the focus leaving), a combo box
    // looks the typed text up in its list and reports a match as a pick. Here typing
    // a category's name is not picking it: nothing happens until a conversion is asked
    // for, which then reads whatever the box holds.
    disconnect(lineEdit(), SIGNAL(editingFinished()), this, SLOT(_q_editingFinished()));
}

void CategoryBox::showPopup()
{
    emit dropDown();
    QComboBox::showPopup();
}

} // namespace pellimor
