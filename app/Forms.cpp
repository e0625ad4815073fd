#include "app/Forms.h"

#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <type_traits>
#include <utility>

namespace pellimor {

Forms::Forms(Services services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
}

Forms::~Forms()
{
    // Windows still loaded go with their owner, without reporting back to it.
    const QList<QObject*> windows = m_alive.keys();
    for (QObject* window : windows) {
        disconnect(window, nullptr, this, nullptr);
        window->removeEventFilter(this);
        delete window;
    }
}

template <class W>
W& Forms::load(Window which)
{
    if (QObject* loaded = m_loaded[slot(which)])
        return *static_cast<W*>(loaded);

    W* window = nullptr;
    if constexpr (std::is_constructible_v<W, Services>)
        window = new W(m_services);
    else
        window = new W();
    // Unloading is closing: the window object goes, and the next use makes a new one.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->installEventFilter(this);
    m_loaded[slot(which)] = window;
    m_alive.insert(window, which);
    connect(window, &QObject::destroyed, this, &Forms::windowDestroyed);

    if constexpr (std::is_same_v<W, pellimor::frmGUI>) {
        connect(window, &pellimor::frmGUI::aboutRequested, this,
                [this] { bringForward(frmAbout()); });
    } else {
        // The converter window places itself; the others open in the screen's centre.
        centre(*window);
    }
    if constexpr (std::is_same_v<W, pellimor::frmSplash>) {
        connect(window, &pellimor::frmSplash::handOver, this, &Forms::handOver);
        connect(window, &pellimor::frmSplash::shown, this, &Forms::buildConverterBehindSplash);
    }
    if constexpr (std::is_same_v<W, pellimor::frmAbout>) {
        connect(window, &pellimor::frmAbout::agreementRequested, this,
                [this] { bringForward(frmAgreement()); });
    }
    return *window;
}

pellimor::frmGUI& Forms::frmGUI()
{
    return load<pellimor::frmGUI>(Window::frmGUI);
}

pellimor::frmSplash& Forms::frmSplash()
{
    return load<pellimor::frmSplash>(Window::frmSplash);
}

pellimor::frmAbout& Forms::frmAbout()
{
    return load<pellimor::frmAbout>(Window::frmAbout);
}

pellimor::frmAgreement& Forms::frmAgreement()
{
    return load<pellimor::frmAgreement>(Window::frmAgreement);
}

bool Forms::isLoaded(Window window) const
{
    return m_loaded[slot(window)] != nullptr;
}

void Forms::unload(Window window)
{
    if (QObject* loaded = m_loaded[slot(window)])
        static_cast<QWidget*>(loaded)->close();
}

void Forms::start()
{
    // The splash goes on screen first, with nothing else built. The converter window
    // follows, hidden, in the first turn of the event loop after the splash has been
    // exposed, so it is ready long before the hand-over; a hand-over that comes sooner
    // builds it then.
    m_converterDue = true;
    // Shown only: it raises itself and takes the focus once its first frame is on screen.
    // Asked for now, the focus would cost round trips to the display between the map
    // and that frame.
    frmSplash().show();
}

void Forms::buildConverterBehindSplash()
{
    // Only behind a splash that is still up: one that has handed over has built the
    // converter window already, and one that was closed took the run with it.
    if (!std::exchange(m_converterDue, false) || !isLoaded(Window::frmSplash) || m_handedOver)
        return;
    frmGUI();
}

void Forms::handOver()
{
    m_handedOver = true;
    m_converterDue = false;
    bringForward(frmGUI());
    unload(Window::frmSplash);
}

bool Forms::eventFilter(QObject* watched, QEvent* event)
{
    // No window of the program refuses to close, so a close is an unload from here on,
    // even while the window object still waits to be deleted.
    if (event->type() == QEvent::Close && m_alive.contains(watched))
        forget(watched);
    return QObject::eventFilter(watched, event);
}

void Forms::forget(QObject* window)
{
    for (std::size_t i = 0; i < windowCount; ++i) {
        if (m_loaded[i] != window)
            continue;
        m_loaded[i] = nullptr;
        // A splash that goes without handing over (the window manager closed it)
        // takes the hidden converter window along: nothing could ever show it.
        if (i == slot(Window::frmSplash) && !m_handedOver)
            unload(Window::frmGUI);
    }
}

void Forms::windowDestroyed(QObject* window)
{
    forget(window);
    if (m_alive.remove(window) && m_alive.isEmpty())
        emit lastWindowUnloaded();
}

void Forms::centre(QWidget& window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.geometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void Forms::bringForward(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    else
        window.show();
    window.raise();
    window.activateWindow();
}

} // namespace pellimor
