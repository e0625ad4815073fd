// A keyboard for a display that has none. A headless Wayland compositor offers its clients
// no input device, so this Qt input plugin, loaded into the unchanged program through Qt's
// own QT_QPA_GENERIC_PLUGINS=pellimorpipekeyboard:<fifo>, reads keys from a named pipe and
// hands them to Qt where a platform's keyboard does. Like a compositor with a keyboard, it
// gives the keyboard focus to a window when it is first shown and none has it.
//
// One command a line: "key <name>" with a key name as QKeySequence spells it ("Down",
// "F4", "Return", "Shift+Tab"), or "type <text>" for characters.

#include <QFile>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QKeySequence>
#include <QSocketNotifier>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

class PipeKeyboard : public QObject {
public:
    explicit PipeKeyboard(const QString& path)
    {
        // Opened for writing too, so that the pipe never reads as ended between writers.
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            qWarning("pellimorpipekeyboard: cannot open %s", qPrintable(path));
            return;
        }
        connect(new QSocketNotifier(m_fd, QSocketNotifier::Read, this), &QSocketNotifier::activated, this,
                &PipeKeyboard::readCommands);
        QCoreApplication::instance()->installEventFilter(this);
    }

    ~PipeKeyboard() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window && takesKeyboard(window)
            && !QGuiApplication::focusWindow()) {
            // Once Qt has finished showing it.
            QMetaObject::invokeMethod(this, [] { target(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool takesKeyboard(const QWindow* window)
    {
        return window->isTopLevel() && window->isVisible() && window->type() != Qt::Popup
               && window->type() != Qt::ToolTip;
    }

    void readCommands()
    {
        char buffer[512];
        for (ssize_t got = 0; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            m_pending.append(buffer, got);
        for (qsizetype end = 0; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
            const QString line = QString::fromUtf8(m_pending.left(end));
            const QKeySequence key(line.mid(4), QKeySequence::PortableText);
            if (line.startsWith(QLatin1String("type "))) {
                // Qt names a character key by its upper-case character.
                for (const QChar c : line.mid(5))
                    send(c.toUpper().unicode(), Qt::NoModifier, QString(c));
            } else if (line.startsWith(QLatin1String("key ")) && !key.isEmpty()) {
                // Without the control character a platform would send along: the program goes
                // by the key alone.
                send(key[0].key(), key[0].keyboardModifiers(), QString());
            } else {
                qWarning("pellimorpipekeyboard: no such command or key: %s", qPrintable(line));
            }
        }
    }

    // The window a keyboard types into: the one with the focus, else the last shown one,
    // which then gets the focus. Open popups take their keys from Qt itself.
    static QWindow* target()
    {
        if (QWindow* focused = QGuiApplication::focusWindow())
            return focused;
        QWindow* shown = nullptr;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (takesKeyboard(window))
                shown = window;
        }
        if (shown)
            QWindowSystemInterface::handleWindowActivated(shown, Qt::ActiveWindowFocusReason);
        return shown;
    }

    static void send(int key, Qt::KeyboardModifiers modifiers, const QString& text)
    {
        QWindow* window = target();
        if (!window) {
            qWarning("pellimorpipekeyboard: no window to type into");
            return;
        }
        QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyPress, key, modifiers, text);
        QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyRelease, key, modifiers, text);
    }

    int m_fd = -1;
    QByteArray m_pending;
};

} // namespace

class PipeKeyboardPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "pipekeyboard.json")

public:
    QObject* create(const QString& key, const QString& settings) override
    {
        if (key.compare(QLatin1String("pellimorpipekeyboard"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new PipeKeyboard(settings);
    }
};

#include "PipeKeyboard.moc"
