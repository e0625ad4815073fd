#include "platform/PreMapRestack.h"

#ifdef PELLIMOR_HAVE_XCB
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#endif

namespace pellimor {

#ifdef PELLIMOR_HAVE_XCB
namespace {

class RestackNoticeFilter : public QObject, public QAbstractNativeEventFilter {
public:
    RestackNoticeFilter(QWidget& window, xcb_window_t id, const QRect& nativeGeometry)
        : QObject(&window)
        , m_id(id)
        , m_geometry(nativeGeometry)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~RestackNoticeFilter() override { disarm(); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (!m_armed || type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        // A set high bit marks an event another client sent, a window manager's.
        switch (event->response_type) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* notice = static_cast<const xcb_configure_notify_event_t*>(message);
            if (notice->window != m_id)
                return false;
            disarm();
            return notice->x == m_geometry.x() && notice->y == m_geometry.y()
                   && notice->width == m_geometry.width() && notice->height == m_geometry.height();
        }
        case XCB_MAP_NOTIFY:
            if (static_cast<const xcb_map_notify_event_t*>(message)->window == m_id)
                disarm();
            return false;
        case XCB_REPARENT_NOTIFY:
            // A window manager took the window into its frame: its notices count from now.
            if (static_cast<const xcb_reparent_notify_event_t*>(message)->window == m_id)
                disarm();
            return false;
        default:
            return false;
        }
    }

private:
    void disarm()
    {
        if (!m_armed)
            return;
        m_armed = false;
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    xcb_window_t m_id;
    QRect m_geometry;
    bool m_armed = true;
};

} // namespace
#endif

void skipRestackNoticeBeforeMap(QWidget& window)
{
#ifdef PELLIMOR_HAVE_XCB
    QWindow* handle = window.windowHandle();
    if (!handle || QGuiApplication::platformName() != QLatin1String("xcb") || !window.isWindow())
        return;
    // The server speaks in device pixels.
    const qreal ratio = handle->devicePixelRatio();
    const QRect logical = window.geometry();
    const QRect native(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                       qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    new RestackNoticeFilter(window, xcb_window_t(handle->winId()), native);
#else
    Q_UNUSED(window);
#endif
}

} // namespace pellimor
