#include "support/DisplayWatcher.h"

#include <xcb/damage.h>
#include <xcb/xtest.h>

#include <fcntl.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace pellimor::test {

namespace {

template <class T> struct Reply {
    explicit Reply(T* reply) : value(reply) {}
    ~Reply() { std::free(value); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return value; }
    explicit operator bool() const { return value != nullptr; }
    T* value;
};

// CPU time of all the process's threads so far, ended threads included, from the
// scheduler's account in nanoseconds; NaN if it cannot be read.
double cpuMs(pid_t pid)
{
    clockid_t clock;
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0)
        return NAN;
    return double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
}

// Whether the process has ended, from the kernel's account and without reaping it: its
// parent may be a QProcess that wants to see the end itself.
bool ended(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto name = line.rfind(')');
    return name == std::string::npos || name + 2 >= line.size() || line[name + 2] == 'Z';
}

} // namespace

void DisplayWatcher::WindowState::resetDrawn()
{
    drawn.assign(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)), 0);
    drawnCount = 0;
    complete.reset();
}

DisplayWatcher::DisplayWatcher()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        const char* display = std::getenv("DISPLAY");
        m_error = std::string("cannot reach the X server (DISPLAY=") + (display ? display : "") + ")";
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
    if (!damage || !damage->present) {
        m_error = "the X server has no DAMAGE extension";
        return;
    }
    m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
    Reply(xcb_damage_query_version_reply(
        m_connection, xcb_damage_query_version(m_connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));

    // Every window created on the root is reported to us before it can be mapped.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);

    const char name[] = "_NET_WM_PID";
    Reply atom(xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name),
                                     nullptr));
    m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    loadKeyboardMapping();
    xcb_flush(m_connection);

    // The programs started beside it must not inherit the connection.
    const int fd = xcb_get_file_descriptor(m_connection);
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

DisplayWatcher::~DisplayWatcher()
{
    xcb_disconnect(m_connection);
}

void DisplayWatcher::settle()
{
    m_pid = -1;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
        handle(event);
    m_maps.clear();
}

std::optional<DisplayWatcher::Mapped> DisplayWatcher::waitForMap(pid_t pid, Clock::time_point deadline,
                                                                 xcb_window_t except)
{
    std::optional<Mapped> found;
    pump(pid, deadline, [&] {
        while (!m_maps.empty() && !found) {
            const Mapped map = m_maps.front();
            m_maps.erase(m_maps.begin());
            if (map.window != except && ownerOf(map.window) == pid)
                found = map;
        }
        return found.has_value();
    });
    return found;
}

DisplayWatcher::Frame DisplayWatcher::waitForCompleteFrame(pid_t pid, xcb_window_t window,
                                                           Clock::time_point deadline, Clock::time_point* at)
{
    const auto state = [&]() -> const WindowState* {
        const auto known = m_windows.find(window);
        return known != m_windows.end() ? &known->second : nullptr;
    };
    pump(pid, deadline, [&] {
        const WindowState* known = state();
        return known && (!known->trusted || known->complete);
    });
    const WindowState* known = state();
    if (known && !known->trusted)
        return Frame::Untrusted;
    if (!known || !known->complete)
        return Frame::NotInTime;
    if (at)
        *at = *known->complete;
    return Frame::Complete;
}

void DisplayWatcher::idle(pid_t pid, Clock::time_point until)
{
    pump(pid, until, [] { return false; });
}

bool DisplayWatcher::press(std::uint32_t keysym, const Watch* watch)
{
    const auto code = m_keycodes.find(keysym);
    if (code == m_keycodes.end())
        return false;
    if (watch) {
        m_watch = *watch;
        m_watch.drawn.reset();
    }
    xcb_test_fake_input(m_connection, XCB_KEY_PRESS, code->second, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, code->second, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    return xcb_flush(m_connection) > 0;
}

std::optional<DisplayWatcher::Clock::time_point> DisplayWatcher::waitForWatched(pid_t pid,
                                                                               Clock::time_point deadline)
{
    pump(pid, deadline, [&] { return m_watch.drawn.has_value(); });
    const auto drawn = m_watch.drawn;
    m_watch = Watch{};
    return drawn;
}

std::vector<std::uint32_t> DisplayWatcher::grab(xcb_window_t window, int& width, int& height)
{
    const auto known = m_windows.find(window);
    width = known != m_windows.end() ? known->second.width : 0;
    height = known != m_windows.end() ? known->second.height : 0;
    if (width <= 0 || height <= 0)
        return {};
    Reply image(xcb_get_image_reply(m_connection,
                                    xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                  uint16_t(width), uint16_t(height), ~0u),
                                    nullptr));
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    // 24 bits in 32-bit units, as a virtual screen's only visual has them.
    if (!image || image->depth != 24 || std::size_t(xcb_get_image_data_length(image.value)) < pixels * 4)
        return {};
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.value));
    std::vector<std::uint32_t> out(data, data + pixels);
    // The unused byte may hold anything.
    for (std::uint32_t& pixel : out)
        pixel &= 0x00ffffffu;
    return out;
}

xcb_window_t DisplayWatcher::focus()
{
    Reply reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return reply ? reply->focus : XCB_NONE;
}

void DisplayWatcher::movePointer(int x, int y)
{
    xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, int16_t(x), int16_t(y));
    xcb_flush(m_connection);
}

bool DisplayWatcher::windowManagerRuns()
{
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    Reply atom(xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 1, sizeof name - 1, name),
                                     nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    Reply reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    return reply && xcb_get_property_value_length(reply.value) == 4;
}

// Handles events until `done` says so or the deadline passes; false if the process ended
// or the connection broke.
template <class Done> bool DisplayWatcher::pump(pid_t pid, Clock::time_point deadline, Done done)
{
    m_pid = pid;
    pollfd readable{xcb_get_file_descriptor(m_connection), POLLIN, 0};
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            handle(event);
            if (done())
                return true;
        }
        if (done())
            return true;
        if (xcb_connection_has_error(m_connection) || (pid > 0 && ended(pid)))
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        poll(&readable, 1, int(std::min<long>(left.count() + 1, 50)));
    }
}

void DisplayWatcher::created(xcb_window_t window, int width, int height)
{
    xcb_damage_create(m_connection, xcb_generate_id(m_connection), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    // Its own notices too: under a window manager it moves into a frame, and its map is
    // no longer told on the root.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
    // Asked after the damage object is made, so the answer tells whether it was made in time.
    Reply attributes(xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window),
                                                     nullptr));
    WindowState& state = m_windows[window];
    state.width = width;
    state.height = height;
    // A window destroyed meanwhile is no concern of anyone's.
    state.trusted = !attributes || attributes->map_state == XCB_MAP_STATE_UNMAPPED;
}

void DisplayWatcher::handle(xcb_generic_event_t* event)
{
    const auto seen = Clock::now();
    const int type = event->response_type & 0x7f;
    if (type == m_damageEvent) {
        const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
        damaged(damage->drawable, damage->area, seen);
    } else if (type == XCB_CREATE_NOTIFY) {
        const auto* notice = reinterpret_cast<xcb_create_notify_event_t*>(event);
        if (notice->parent == m_root)
            created(notice->window, notice->width, notice->height);
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* notice = reinterpret_cast<xcb_configure_notify_event_t*>(event);
        const auto known = m_windows.find(notice->window);
        if (known != m_windows.end()
            && (known->second.width != notice->width || known->second.height != notice->height)) {
            known->second.width = notice->width;
            known->second.height = notice->height;
            known->second.resetDrawn();
        }
    } else if (type == XCB_MAP_NOTIFY) {
        const auto* notice = reinterpret_cast<xcb_map_notify_event_t*>(event);
        // Told twice while the window is the root's child, on the root and on the window
        // itself; only on the window once a window manager has framed it, and only on the
        // root if it was mapped before the watcher could ask for its own notices.
        const auto known = m_windows.find(notice->window);
        if (known != m_windows.end() && !known->second.mapped) {
            // Read before anything else: the program goes on working meanwhile.
            const double cpu = m_pid > 0 ? cpuMs(m_pid) : NAN;
            known->second.mapped = true;
            known->second.resetDrawn();
            m_maps.push_back(Mapped{seen, cpu, notice->window});
        }
    } else if (type == XCB_UNMAP_NOTIFY) {
        const auto* notice = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
        const auto known = m_windows.find(notice->window);
        if (known != m_windows.end())
            known->second.mapped = false;
    } else if (type == XCB_DESTROY_NOTIFY) {
        // The window's damage object goes with it.
        m_windows.erase(reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window);
    }
    std::free(event);
}

void DisplayWatcher::damaged(xcb_window_t window, const xcb_rectangle_t& area, Clock::time_point seen)
{
    const auto known = m_windows.find(window);
    if (known == m_windows.end() || !known->second.mapped)
        return;
    WindowState& state = known->second;
    const int left = std::max<int>(area.x, 0);
    const int top = std::max<int>(area.y, 0);
    const int right = std::min<int>(area.x + area.width, state.width);
    const int bottom = std::min<int>(area.y + area.height, state.height);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            std::uint8_t& pixel = state.drawn[std::size_t(y) * std::size_t(state.width) + std::size_t(x)];
            if (!pixel) {
                pixel = 1;
                ++state.drawnCount;
            }
        }
    }
    if (!state.complete && state.width > 0 && state.drawnCount == long(state.width) * state.height)
        state.complete = seen;

    if (m_watch.window == window && !m_watch.drawn) {
        const int watchTop = state.height - m_watch.fromBottom;
        if (left < m_watch.left + m_watch.width && right > m_watch.left && top < watchTop + m_watch.height
            && bottom > watchTop)
            m_watch.drawn = seen;
    }
}

pid_t DisplayWatcher::ownerOf(xcb_window_t window)
{
    Reply reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.value) == 4)
        return static_cast<pid_t>(*static_cast<uint32_t*>(xcb_get_property_value(reply.value)));
    return -1;
}

// The first key code of each key symbol, unshifted: a shifted one would need Shift held.
void DisplayWatcher::loadKeyboardMapping()
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply reply(xcb_get_keyboard_mapping_reply(m_connection, xcb_get_keyboard_mapping(m_connection, first, uint8_t(count)),
                                               nullptr));
    if (!reply)
        return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.value);
    const int perCode = reply->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        const xcb_keysym_t sym = syms[code * perCode];
        if (sym != 0)
            m_keycodes.emplace(sym, xcb_keycode_t(first + code));
    }
}

} // namespace pellimor::test
