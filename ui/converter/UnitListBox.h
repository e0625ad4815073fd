#pragma once

#include <QListWidget>
#include <QPersistentModelIndex>

namespace pellimor {

// A unit list whose selection is the user's pick. Every change of the selected entry,
// however it comes about (a click, a press on one entry and release on another, a drag,
// arrows, paging, type-ahead), is reported once as a pick; filling or clearing the list
// reports nothing. Once an entry is selected the list never goes back to having none,
// and only the left button selects.
class UnitListBox : public QListWidget {
    Q_OBJECT

public:
    explicit UnitListBox(QWidget* parent = nullptr);

    // Whether a click on the entry that is already selected counts as a pick again.
    void setRepeatPicks(bool repeat) { m_repeatPicks = repeat; }
    // The selected entry's text, or empty when none is selected.
    QString selectedText() const;

signals:
    void picked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void selectionMoved();
    // A left press begins what a release may finish as a click; other buttons do nothing.
    bool leftPress(QMouseEvent* event);
    template <typename Handle> void handleInput(Handle handle);

    QPersistentModelIndex m_selected;   // the entry the user has picked, if any
    QPersistentModelIndex m_pressed;    // the entry a left press began on
    int m_inputDepth = 0;               // inside a mouse or key event of this list
    bool m_pickPending = false;         // the selection changed during that event
    bool m_changedSincePress = false;
    bool m_restoring = false;
    bool m_repeatPicks = false;
};

} // namespace pellimor
