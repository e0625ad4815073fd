#include "ui/converter/FrameUnderlay.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QGroupBox>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <QtMath>

namespace pellimor {

FrameUnderlay::FrameUnderlay(QWidget& field)
    : QObject(&field)
    , m_field(field)
{
    field.installEventFilter(this);
}

void FrameUnderlay::beforeChange()
{
    if (!m_under.isNull() && currentKey() == m_key)
        opaque(true);
}

FrameUnderlay::Key FrameUnderlay::currentKey() const
{
    Key key;
    const QWidget* window = m_field.window();
    key.place = m_field.mapTo(window, QPoint());
    key.field = m_field.rect();
    key.ratio = m_field.devicePixelRatioF();
    key.active = window->isActiveWindow();
    key.sheet = qApp->styleSheet();
    for (const QWidget* layer = m_field.parentWidget(); layer;
         layer = layer->isWindow() ? nullptr : layer->parentWidget()) {
        Layer& kept = key.layers.emplace_back();
        kept.geometry = layer->geometry();
        kept.palette = layer->palette().cacheKey();
        kept.style = layer->style();
        kept.styleSheet = layer->styleSheet();
        kept.font = layer->font();
        kept.state = (layer->isEnabled() ? 1 : 0) | (layer->hasFocus() ? 2 : 0) | (layer->underMouse() ? 4 : 0)
                     | (layer->autoFillBackground() ? 8 : 0)
                     | (layer->testAttribute(Qt::WA_TranslucentBackground) ? 16 : 0)
                     | (int(layer->backgroundRole()) << 8);
        if (const auto* frame = qobject_cast<const QGroupBox*>(layer)) {
            kept.title = frame->title();
            kept.state |= (frame->isFlat() ? 32 : 0) | (frame->isCheckable() ? 64 : 0)
                          | (frame->isChecked() ? 128 : 0) | (int(frame->alignment()) << 16);
        }
    }
    return key;
}

void FrameUnderlay::keep(const QRegion& painted)
{
    QBackingStore* store = m_field.backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    // Only a paint into the window itself tells anything: a grab or a print paints
    // elsewhere, and the window then still holds the field's last paint over what lies
    // beneath it.
    {
        QPainter probe(&m_field);
        if (!device || !probe.paintEngine() || probe.paintEngine()->paintDevice() != device)
            return;
    }
    m_under = QImage();
    // Only a paint of the whole field leaves a whole picture of what lies beneath it.
    if (device->devType() != QInternal::Image || !(QRegion(m_field.rect()) - painted).isEmpty())
        return;
    const auto& window = *static_cast<const QImage*>(device);
    // Copied and drawn back pixel for pixel only at a whole device pixel ratio.
    Key key = currentKey();
    const int ratio = qRound(key.ratio);
    if (ratio < 1 || key.ratio != ratio || window.devicePixelRatio() != key.ratio)
        return;
    const QRect source(key.place * ratio, m_field.size() * ratio);
    if (!window.rect().contains(source))
        return;
    // The frames and the window have painted this spot and the field has not yet.
    m_under = window.copy(source);
    m_under.setDevicePixelRatio(key.ratio);
    m_key = std::move(key);
}

void FrameUnderlay::opaque(bool on)
{
    if (m_field.testAttribute(Qt::WA_OpaquePaintEvent) != on)
        m_field.setAttribute(Qt::WA_OpaquePaintEvent, on);
}

bool FrameUnderlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_field || event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    const auto* paint = static_cast<QPaintEvent*>(event);
    if (!m_field.testAttribute(Qt::WA_OpaquePaintEvent)) {
        keep(paint->region());
        return false;
    }
    // Only the one repaint after a change skips the frames: every other one paints them,
    // and keeps what they leave.
    opaque(false);
    if (!m_under.isNull() && currentKey() == m_key) {
        QPainter painter(&m_field);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), m_under);
        ++m_reused;
    } else {
        // Something beneath changed between the change and its paint; the next frame
        // paints it all.
        m_under = QImage();
        m_field.update();
    }
    return false;
}

} // namespace pellimor
