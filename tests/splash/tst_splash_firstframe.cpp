#include "ui/splash/frmSplash.h"

#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

using namespace pellimor;

namespace {

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, Free>;

// The real program watched through the X server, as a person's screen shows it: the
// splash's first frame is what the window holds the moment every one of its pixels has
// been drawn since it was mapped, by the server's damage reports.
class Screen {
public:
    bool connect(QString& why)
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) {
            why = "no X server";
            return false;
        }
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present) {
            why = "the X server has no DAMAGE extension";
            return false;
        }
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        Reply<xcb_damage_query_version_reply_t>(xcb_damage_query_version_reply(
            m_connection, xcb_damage_query_version(m_connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        return true;
    }

    ~Screen()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    // Handles the server's events until the first top-level window mapped has been drawn
    // whole; that window, or none if nothing came before the deadline.
    xcb_window_t waitForFirstFrame(QDeadlineTimer deadline)
    {
        while (!deadline.hasExpired()) {
            while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
                if (handle(*event))
                    return m_first;
            }
            if (xcb_connection_has_error(m_connection))
                return XCB_NONE;
            QTest::qSleep(1);
        }
        return XCB_NONE;
    }

    // The window's pixels as the server holds them now.
    QImage grab(xcb_window_t window)
    {
        const auto size = m_windows[window].size;
        Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, uint16_t(size.width()),
                          uint16_t(size.height()), ~0u),
            nullptr));
        if (!image || image->depth != 24
            || xcb_get_image_data_length(image.get()) < size.width() * size.height() * 4)
            return {};
        // 24 bits in 32-bit units, as the server's only visual on a virtual screen has them;
        // the unused byte may hold anything.
        return QImage(xcb_get_image_data(image.get()), size.width(), size.height(), size.width() * 4,
                      QImage::Format_RGB32)
            .convertToFormat(QImage::Format_RGB888);
    }

    // The pointer to the screen's top left corner, away from where the splash opens: a
    // window under the pointer may get the keys without ever having the focus.
    void movePointerAway()
    {
        xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, 0, 0);
        xcb_flush(m_connection);
    }

    // The window that has the keyboard's focus.
    xcb_window_t focus()
    {
        const Reply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return reply ? reply->focus : XCB_NONE;
    }

    void idle(int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)})
                handle(*event);
            QTest::qSleep(5);
        }
    }

private:
    struct Window {
        QSize size;
        bool mapped = false;
        QImage drawn;   // one byte a pixel: drawn since the map
        qint64 drawnCount = 0;
    };

    // True once the first window mapped has been drawn whole.
    bool handle(const xcb_generic_event_t& event)
    {
        const int type = event.response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto& created = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            if (created.parent == m_root) {
                // Before it can be mapped, so no drawing slips past.
                xcb_damage_create(m_connection, xcb_generate_id(m_connection), created.window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(m_connection);
                m_windows[created.window].size = QSize(created.width, created.height);
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto& configured = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            if (m_windows.count(configured.window))
                m_windows[configured.window].size = QSize(configured.width, configured.height);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto& mapped = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (m_windows.count(mapped.window) && !mapped.override_redirect && m_first == XCB_NONE) {
                m_first = mapped.window;
                Window& window = m_windows[mapped.window];
                window.mapped = true;
                window.drawn = QImage(window.size, QImage::Format_Grayscale8);
                window.drawn.fill(0);
            }
        } else if (type == m_damageEvent) {
            const auto& damage = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
            if (damage.drawable != m_first || !m_windows[m_first].mapped)
                return false;
            Window& window = m_windows[m_first];
            const QRect area = QRect(damage.area.x, damage.area.y, damage.area.width, damage.area.height)
                                   .intersected(window.drawn.rect());
            for (int y = area.top(); y <= area.bottom(); ++y) {
                uchar* line = window.drawn.scanLine(y);
                for (int x = area.left(); x <= area.right(); ++x) {
                    window.drawnCount += line[x] == 0;
                    line[x] = 1;
                }
            }
            return window.drawnCount == qint64(window.size.width()) * window.size.height();
        }
        return false;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    int m_damageEvent = -1;
    xcb_window_t m_first = XCB_NONE;
    std::map<xcb_window_t, Window> m_windows;
};

// Whether the part of the image is more than one flat colour: a text or a picture
// drawn there, not the bare panel.
bool holdsSomething(const QImage& image, const QRect& part)
{
    const QRgb first = image.pixel(part.topLeft());
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            if (image.pixel(x, y) != first)
                return true;
        }
    }
    return false;
}

} // namespace

class TestSplashFirstFrame : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstFrameHoldsIt_data();
    void firstFrameHoldsIt();
    void takesTheFocus();

private:
    struct Run {
        QImage first;   // the window the moment it was first drawn whole
        QImage later;   // the same window a second later
        xcb_window_t window = XCB_NONE;
        xcb_window_t focusLater = XCB_NONE;   // where the keys went a second later
    };

    void run(Run& run);
    // A control's place in the splash window, from a splash of the test's own: the
    // program lays out the same window with the same fonts.
    QRect placeOf(const char* name);
    QImage withoutVegetables(QImage image);

    std::unique_ptr<frmSplash> m_layout;
    QProcess m_program;
    Run m_run;
};

void TestSplashFirstFrame::initTestCase()
{
    Screen probe;
    QString why;
    if (!probe.connect(why))
        QSKIP(qPrintable(why));
    m_layout = std::make_unique<frmSplash>();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_program.setProcessEnvironment(environment);
    run(m_run);
}

void TestSplashFirstFrame::run(Run& run)
{
    Screen screen;
    QString why;
    QVERIFY2(screen.connect(why), qPrintable(why));
    screen.movePointerAway();
    m_program.start(QStringLiteral(PELLIMOR_PROGRAM), {});
    QVERIFY2(m_program.waitForStarted(), qPrintable(m_program.errorString()));
    const xcb_window_t window = screen.waitForFirstFrame(QDeadlineTimer(20000));
    QVERIFY2(window != XCB_NONE, "the splash was never drawn whole");
    // At once: the program goes on working behind the splash meanwhile.
    run.first = screen.grab(window);
    // Long before the splash hands over by itself.
    screen.idle(1000);
    run.later = screen.grab(window);
    run.window = window;
    run.focusLater = screen.focus();
    m_program.terminate();
    if (!m_program.waitForFinished(3000))
        m_program.kill();
    m_program.waitForFinished(3000);
    QVERIFY(!run.first.isNull() && !run.later.isNull());
    QCOMPARE(run.first.size(), m_layout->size());
}

void TestSplashFirstFrame::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(3000);
    }
}

// The vegetables come one by one and blink: their places are blanked.
QImage TestSplashFirstFrame::withoutVegetables(QImage image)
{
    for (const char* vegetable : {"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"}) {
        const QRect place = placeOf(vegetable);
        for (int y = place.top(); y <= place.bottom(); ++y) {
            for (int x = place.left(); x <= place.right(); ++x)
                image.setPixel(x, y, 0);
        }
    }
    return image;
}

QRect TestSplashFirstFrame::placeOf(const char* name)
{
    const auto* control = m_layout->findChild<QWidget*>(QLatin1String(name));
    if (!control)
        return {};
    return QRect(control->mapTo(m_layout.get(), QPoint(0, 0)), control->size());
}

void TestSplashFirstFrame::firstFrameHoldsIt_data()
{
    QTest::addColumn<QString>("control");
    for (const char* control : {"Label1", "lblCompanyProduct", "lblVersion", "lblCopyright", "lblWarning", "imgLogo"})
        QTest::newRow(control) << QString::fromLatin1(control);
    // Everything else, the panel's border included.
    QTest::newRow("whole window") << QString();
}

void TestSplashFirstFrame::firstFrameHoldsIt()
{
    QFETCH(QString, control);
    const Run& run = m_run;
    if (!control.isEmpty()) {
        const QRect place = placeOf(control.toLatin1().constData());
        QVERIFY(place.isValid() && run.first.rect().contains(place));
        QVERIFY2(holdsSomething(run.first, place), "nothing drawn there in the first frame");
        // The same text in the same face, or the same picture: nothing drawn again since.
        QCOMPARE(run.first.copy(place), run.later.copy(place));
        return;
    }
    QCOMPARE(withoutVegetables(run.first), withoutVegetables(run.later));
}

// Taken once the first frame is on screen, not before, yet at once: a key in the splash
// hands over wherever the pointer is.
void TestSplashFirstFrame::takesTheFocus()
{
    QCOMPARE(m_run.focusLater, m_run.window);
}

QTEST_MAIN(TestSplashFirstFrame)
#include "tst_splash_firstframe.moc"
