#include "ui/converter/UnitListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace pellimor {

UnitListBox::UnitListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
}

QString UnitListBox::selectedText() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void UnitListBox::mousePressEvent(QMouseEvent* event)
{
    const QString before = selectedText();
    const int beforeRow = currentRow();
    QListWidget::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
    m_pressChanged = m_pressed && (currentRow() != beforeRow || selectedText() != before);
}

void UnitListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    QListWidgetItem* released = itemAt(event->position().toPoint());
    const bool pick = event->button() == Qt::LeftButton && m_pressed && released == m_pressed
                      && m_pressed->isSelected() && (m_pressChanged || m_repeatPicks);
    m_pressed = nullptr;
    if (pick)
        emit picked();
}

void UnitListBox::keyPressEvent(QKeyEvent* event)
{
    const int beforeRow = currentRow();
    const bool beforeSelected = currentItem() && currentItem()->isSelected();
    QListWidget::keyPressEvent(event);
    const bool nowSelected = currentItem() && currentItem()->isSelected();
    if (nowSelected && (currentRow() != beforeRow || !beforeSelected))
        emit picked();
}

} // namespace pellimor
