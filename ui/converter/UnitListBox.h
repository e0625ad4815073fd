#pragma once

#include <QListWidget>

namespace pellimor {

// A unit list that tells a user's pick apart from filling or clearing it in code:
// only a click on an entry or a key that moves the selection reports a pick.
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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidgetItem* m_pressed = nullptr;
    bool m_pressChanged = false;
    bool m_repeatPicks = false;
};

} // namespace pellimor
