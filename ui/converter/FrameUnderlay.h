#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace pellimor {

// Lets a field whose own paint leaves its corners to what lies beneath it (a line edit's
// rounded frame, in a titled frame) repaint a new text without the frames around it
// painting again beneath it. Each full paint of the field keeps a copy of the pixels its
// frames and the window left under it; when the text changes and nothing those pixels
// depend on has changed since, that one repaint draws the copy itself and marks the field
// opaque, so the frame's caption and its nine-piece border are not drawn again under a
// line that covers them. The pixels on screen are the same either way.
//
// What lies beneath is expected to be the window's background and the field's own
// ancestors, not other widgets overlapping it from below.
class FrameUnderlay : public QObject {
public:
    explicit FrameUnderlay(QWidget& field);

    // Call before the field's text changes: its repaint draws the kept copy underneath if
    // that copy still holds, and is painted as usual otherwise.
    void beforeChange();

    // How many repaints drew the kept copy instead of the frames beneath.
    int reused() const { return m_reused; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Everything the pixels beneath the field are drawn from, up to the window.
    struct Layer {
        QRect geometry;
        qint64 palette = 0;
        const void* style = nullptr;
        QString styleSheet;
        QFont font;
        QString title;
        int state = 0;
        bool operator==(const Layer&) const = default;
    };
    struct Key {
        QPoint place;
        QRect field;
        qreal ratio = 0;
        bool active = false;
        QString sheet;
        QList<Layer> layers;
        bool operator==(const Key&) const = default;
    };

    Key currentKey() const;
    void keep(const QRegion& painted);
    void opaque(bool on);

    QWidget& m_field;
    QImage m_under;
    Key m_key;
    int m_reused = 0;
};

} // namespace pellimor
