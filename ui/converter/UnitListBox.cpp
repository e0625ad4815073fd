#include "ui/converter/UnitListBox.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

namespace pellimor {

UnitListBox::UnitListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Watching the selection itself, rather than the ways of changing it, is what makes
    // every way count: the view's own handling of drags, paging and type-ahead included.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UnitListBox::selectionMoved);
}

QString UnitListBox::selectedText() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

QItemSelectionModel::SelectionFlags UnitListBox::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const
{
    // A press on the blank part of the list, Ctrl with a click or with Space would
    // leave no unit selected under a line that still names one; the list never
    // deselects, it only selects another entry.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect;
    return command;
}

void UnitListBox::selectionMoved()
{
    if (m_restoring)
        return;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    const QModelIndex now = selected.isEmpty() ? QModelIndex() : selected.first();
    if (!now.isValid() && m_selected.isValid()) {
        // Whatever took the selection away, the picked unit stays picked.
        m_restoring = true;
        selectionModel()->select(m_selected, QItemSelectionModel::ClearAndSelect);
        m_restoring = false;
        return;
    }
    if (now == QModelIndex(m_selected))
        return;
    m_selected = now;
    m_changedSincePress = true;
    // Inside one of the list's own events the pick is reported once that event is
    // handled, so a message box the pick may open never runs in the middle of the
    // view's selection code.
    if (m_inputDepth > 0)
        m_pickPending = true;
    else
        emit picked();
}

template <typename Handle>
void UnitListBox::handleInput(Handle handle)
{
    ++m_inputDepth;
    handle();
    if (--m_inputDepth == 0 && std::exchange(m_pickPending, false))
        emit picked();
}

bool UnitListBox::leftPress(QMouseEvent* event)
{
    // Only the left button picks; the others leave the list as it is.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return false;
    }
    m_pressed = indexAt(event->position().toPoint());
    m_changedSincePress = false;
    return true;
}

void UnitListBox::mousePressEvent(QMouseEvent* event)
{
    if (leftPress(event))
        handleInput([&] { QListWidget::mousePressEvent(event); });
}

void UnitListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    handleInput([&] { QListWidget::mouseMoveEvent(event); });
}

void UnitListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex released = indexAt(event->position().toPoint());
    handleInput([&] { QListWidget::mouseReleaseEvent(event); });
    // A click on the unit that is already picked asks again, where that is wanted.
    const bool again = m_repeatPicks && m_pressed.isValid() && released == QModelIndex(m_pressed)
                       && !m_changedSincePress && released == QModelIndex(m_selected);
    m_pressed = QPersistentModelIndex();
    if (again)
        emit picked();
}

void UnitListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: the view treats it as a press where it
    // lands elsewhere, and it is followed by a release like any press.
    if (leftPress(event))
        handleInput([&] { QListWidget::mouseDoubleClickEvent(event); });
}

void UnitListBox::keyPressEvent(QKeyEvent* event)
{
    handleInput([&] { QListWidget::keyPressEvent(event); });
}

void UnitListBox::inputMethodEvent(QInputMethodEvent* event)
{
    // Type-ahead from an input method arrives here rather than as a key.
    handleInput([&] { QListWidget::inputMethodEvent(event); });
}

} // namespace pellimor
