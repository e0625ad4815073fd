// Starts the converter and the floor program in turn under the X server named by
// DISPLAY and measures, for each, the time from exec to the moment its first window is
// mapped, to the moment that window's first complete frame is on screen, the CPU time it
// had used by the map, and its resident memory one second after that; then, for the
// converter, how long a key pressed in the splash takes to bring the converter window on
// screen, mapped and drawn, and how long a pick in its To list takes to put the new
// result line on screen, against a list floor doing the same. The runner watches the
// root window's children itself, so a moment is the server's MapNotify or DamageNotify
// and not a poll of some outside tool; a window counts only if its _NET_WM_PID is the
// started process.
//
// One row a run: the desktop as the caller has it, or one where a screen reader could be
// listening: the session bus and the accessibility bus of at-spi2-core the caller gives,
// the registry answering on it, and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 for all programs.
// The runner starts no display and no bus itself: tests/client/session.py does, and ends
// them with everything they started.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto MapTimeout = std::chrono::seconds(20);
constexpr auto HandOverTimeout = std::chrono::seconds(5);
constexpr auto RssDelay = std::chrono::seconds(1);
constexpr int DefaultRounds = 21;
constexpr double WallTarget = 1.05;        // exec to the map, and to the first complete frame, times the floor's
constexpr double MemoryTarget = 5.0;       // MB above the floor
constexpr double HandOverTarget = 50.0;    // ms from the key to the converter window mapped
constexpr double HandOverFrameTarget = 16.0;   // ms from the key to its first complete frame: one frame at 60 Hz
constexpr double PickTarget = 1.10;        // a pick's time, times the pick floor's
constexpr int DefaultPicks = 2;
// Between two picks: the converter's flash around a new result lasts a second.
constexpr auto PickSettle = std::chrono::milliseconds(1100);
// Between the keys of the typed conversion, time for a list to open or close.
constexpr auto KeyGap = std::chrono::milliseconds(40);
// The runner must wake on the server's events before the programs it watches go on
// working: after its map the converter builds its main window, the floor idles, so a
// late look would charge the converter alone. Real-time if allowed, else a high priority;
// the programs it starts run as the caller's processes do.
constexpr int RunnerNice = -10;

struct Sample {
    double startupMs = NAN;
    double firstFrameMs = NAN;     // exec to every pixel of the first window drawn
    double cpuMs = NAN;
    double rssMb = NAN;
    double handOverMs = NAN;       // the converter only: key to its window mapped
    double handOverFrameMs = NAN;  // and to that window's first complete frame
    double pickMs = NAN;           // a pick in the To list to the new result line drawn
};

struct Mapped {
    Clock::time_point when;
    double cpuMs;
    xcb_window_t window;
};

// The converter; the floor its start-up is judged against; the floor its picks are.
enum class Role { Converter, Floor, PickFloor };

struct Program {
    const char* label;
    std::string path;
    Role role;
    std::vector<Sample> samples;
};

struct Row {
    const char* name;
    double cpuTarget;    // CPU time by the map, times the floor's
    std::vector<std::string> environment;   // NAME=value, for both programs
};

int g_callerNice = 0;

// Resident memory in MB, from the kernel's own account; NaN if unreadable.
double residentMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;   // the line is in kB
    }
    return NAN;
}

// CPU time of all the process's threads so far, in ms, ended threads included, from the
// scheduler's account in nanoseconds (the tick-based counters of /proc/<pid>/stat are too
// coarse here); NaN if it cannot be read.
double cpuMs(pid_t pid)
{
    clockid_t clock;
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0)
        return NAN;
    return double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
}

// Starts a program with extra environment at the caller's priority. Its output goes to
// `out`, or nowhere; its error messages are kept only if asked for.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int out = -1,
            bool keepErrors = false)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpriority(PRIO_PROCESS, 0, g_callerNice);
    for (const std::string& variable : environment)
        putenv(const_cast<char*>(variable.c_str()));
    const int null = open("/dev/null", O_RDWR);
    dup2(out >= 0 ? out : null, STDOUT_FILENO);
    if (!keepErrors)
        dup2(null, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Runs a helper to its end and gives its output, or nothing if it failed.
std::optional<std::string> capture(const std::vector<std::string>& argv)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = spawn(argv, {}, fds[1]);
    close(fds[1]);
    std::string output;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

double median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
                 values.end());
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// What the runner knows of a top-level window: its size, since when it is mapped, and
// which of its pixels have been drawn since then, from the server's damage reports.
struct WindowState {
    int width = 0;
    int height = 0;
    bool mapped = false;
    Clock::time_point mappedAt;
    std::vector<std::uint8_t> drawn;
    long drawnCount = 0;
    std::optional<Clock::time_point> complete;   // every pixel drawn since the map

    void resetDrawn()
    {
        drawn.assign(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)), 0);
        drawnCount = 0;
        complete.reset();
    }
};

// A rectangle of a window whose next drawing the runner waits for, placed from the
// window's bottom edge (the converter's menu bar may be of any height).
struct Watch {
    xcb_window_t window = XCB_NONE;
    int left = 0, fromBottom = 0, width = 0, height = 0;
    std::optional<Clock::time_point> drawn;
};

class Server {
public:
    Server()
    {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "bench_startup: cannot reach the X server (DISPLAY=%s)\n",
                         std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
            std::exit(2);
        }
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;

        // What reaches the screen is what the server's damage reports say was drawn
        // into a window; without them the runner could only tell when a window maps.
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present) {
            std::fprintf(stderr, "bench_startup: the X server has no DAMAGE extension\n");
            std::exit(2);
        }
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(
            m_connection, xcb_damage_query_version(m_connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));

        // Every top-level window created, resized, mapped or destroyed by anyone is
        // reported to us; each gets a damage report as soon as it exists, so its first
        // drawing cannot slip past.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);

        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(atom);
        loadKeyboardMapping(setup);
        xcb_flush(m_connection);

        // The started programs must not inherit our connection.
        const int fd = xcb_get_file_descriptor(m_connection);
        fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }

    ~Server() { xcb_disconnect(m_connection); }

    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Takes in what earlier runs left queued (their windows' unmaps and destroys).
    void settle()
    {
        m_pid = -1;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            handle(event);
        m_maps.clear();
    }

    // The moment a window of `pid` other than `except` was mapped and the CPU time the
    // process had used by then, or nothing if it died or showed nothing in time.
    std::optional<Mapped> waitForMap(pid_t pid, Clock::time_point deadline, xcb_window_t except = XCB_NONE)
    {
        m_pid = pid;
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

    // The moment every pixel of the window had been drawn since it was mapped.
    std::optional<Clock::time_point> waitForCompleteFrame(pid_t pid, xcb_window_t window, Clock::time_point deadline)
    {
        pump(pid, deadline, [&] {
            const auto known = m_windows.find(window);
            return known != m_windows.end() && known->second.complete;
        });
        const auto known = m_windows.find(window);
        return known != m_windows.end() ? known->second.complete : std::nullopt;
    }

    // Handles the server's events until the deadline, as long as the program lives.
    void idle(pid_t pid, Clock::time_point until)
    {
        pump(pid, until, [] { return false; });
    }

    // The next drawing into the watched rectangle, from now on.
    std::optional<Clock::time_point> waitForDrawing(pid_t pid, const Watch& watch, Clock::time_point deadline)
    {
        m_watch = watch;
        m_watch.drawn.reset();
        pump(pid, deadline, [&] { return m_watch.drawn.has_value(); });
        const auto drawn = m_watch.drawn;
        m_watch = Watch{};
        return drawn;
    }

    // A press and release of a key, through the server's test extension, as a keyboard
    // would: it goes to whichever window has the focus. Arms the watch first, if any,
    // so a drawing that comes back at once is not missed.
    bool press(xcb_keysym_t keysym, const Watch* watch = nullptr)
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

    // Waits for the drawing the last press() was armed for.
    std::optional<Clock::time_point> waitForWatched(pid_t pid, Clock::time_point deadline)
    {
        pump(pid, deadline, [&] { return m_watch.drawn.has_value(); });
        const auto drawn = m_watch.drawn;
        m_watch = Watch{};
        return drawn;
    }

private:
    // Handles events until `done` says so or the deadline passes; false if the program
    // died or the connection broke.
    template <class Done> bool pump(pid_t pid, Clock::time_point deadline, Done done)
    {
        m_pid = pid;
        pollfd watch{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                handle(event);
                if (done())
                    return true;
            }
            if (done())
                return true;
            if (xcb_connection_has_error(m_connection))
                return false;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            poll(&watch, 1, int(std::min<long>(left.count() + 1, 50)));
        }
    }

    void handle(xcb_generic_event_t* event)
    {
        const auto seen = Clock::now();
        const int type = event->response_type & 0x7f;
        if (type == m_damageEvent) {
            damaged(*reinterpret_cast<xcb_damage_notify_event_t*>(event), seen);
        } else if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent == m_root) {
                xcb_damage_create(m_connection, xcb_generate_id(m_connection), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(m_connection);
                WindowState& state = m_windows[created->window];
                state.width = created->width;
                state.height = created->height;
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            const auto known = m_windows.find(configured->window);
            if (known != m_windows.end()
                && (known->second.width != configured->width || known->second.height != configured->height)) {
                known->second.width = configured->width;
                known->second.height = configured->height;
                known->second.resetDrawn();
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            // Read before anything else: the program goes on working meanwhile.
            const double cpu = m_pid > 0 ? cpuMs(m_pid) : NAN;
            const auto known = m_windows.find(mapped->window);
            if (known != m_windows.end()) {
                known->second.mapped = true;
                known->second.mappedAt = seen;
                known->second.resetDrawn();
            }
            m_maps.push_back(Mapped{seen, cpu, mapped->window});
        } else if (type == XCB_UNMAP_NOTIFY) {
            const auto known = m_windows.find(reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window);
            if (known != m_windows.end())
                known->second.mapped = false;
        } else if (type == XCB_DESTROY_NOTIFY) {
            // The window's damage report goes with it.
            m_windows.erase(reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window);
        }
        std::free(event);
    }

    void damaged(const xcb_damage_notify_event_t& damage, Clock::time_point seen)
    {
        const auto known = m_windows.find(damage.drawable);
        if (known == m_windows.end() || !known->second.mapped)
            return;
        WindowState& state = known->second;
        const int left = std::max<int>(damage.area.x, 0);
        const int top = std::max<int>(damage.area.y, 0);
        const int right = std::min<int>(damage.area.x + damage.area.width, state.width);
        const int bottom = std::min<int>(damage.area.y + damage.area.height, state.height);
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

        if (m_watch.window == damage.drawable && !m_watch.drawn) {
            const int watchTop = state.height - m_watch.fromBottom;
            if (left < m_watch.left + m_watch.width && right > m_watch.left && top < watchTop + m_watch.height
                && bottom > watchTop)
                m_watch.drawn = seen;
        }
    }

    pid_t ownerOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        pid_t owner = -1;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
            owner = static_cast<pid_t>(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return owner;
    }

    // The first key code of each key symbol the runner presses.
    void loadKeyboardMapping(const xcb_setup_t* setup)
    {
        const xcb_keycode_t first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, first, uint8_t(count)), nullptr);
        if (!reply)
            return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        const int perCode = reply->keysyms_per_keycode;
        // Only a key's unshifted symbol: a shifted one would need Shift held as well.
        for (int code = 0; code < count; ++code) {
            const xcb_keysym_t sym = syms[code * perCode];
            if (sym != 0)
                m_keycodes.emplace(sym, xcb_keycode_t(first + code));
        }
        std::free(reply);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    int m_damageEvent = -1;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    std::map<xcb_keysym_t, xcb_keycode_t> m_keycodes;
    std::map<xcb_window_t, WindowState> m_windows;
    std::vector<Mapped> m_maps;   // maps not yet looked at, oldest first
    Watch m_watch;
    pid_t m_pid = -1;             // the program whose CPU time a map is read with
};

// Key symbols the runner presses.
constexpr xcb_keysym_t KeySpace = 0x20, KeyTwo = 0x32, KeyTab = 0xff09, KeyReturn = 0xff0d, KeyUp = 0xff52,
                       KeyDown = 0xff54, KeyEnd = 0xff57, KeyF4 = 0xffc1;

// The result line of the converter window, and the pick floor's line edit in its place:
// 449 by 33 pixels, 32 from the window's left edge and its top 84 above the bottom edge.
Watch resultLine(xcb_window_t window)
{
    return Watch{window, 32, 84, 449, 33, std::nullopt};
}

// Picks in the To list, each once the window has settled after the one before (the
// converter's flash around a new result lasts a second): one entry down, then back up.
// The time from each key to the new result line drawn.
std::vector<double> timePicks(Server& server, pid_t pid, xcb_window_t window, int picks)
{
    std::vector<double> times;
    for (int pick = 0; pick < picks; ++pick) {
        server.idle(pid, Clock::now() + PickSettle);
        const Watch watch = resultLine(window);
        const auto pressed = Clock::now();
        if (!server.press(pick % 2 ? KeyUp : KeyDown, &watch))
            return times;
        const auto drawn = server.waitForWatched(pid, pressed + HandOverTimeout);
        if (!drawn) {
            std::fprintf(stderr, "bench_startup: no new result line after a pick\n");
            return times;
        }
        times.push_back(Millis(*drawn - pressed).count());
    }
    return times;
}

// In the converter window just shown, with the focus on the category box: a conversion
// of 2 pounds to kilograms typed as a keyboard user does, so the To list has a pick and
// the next one converts again. Keys go one by one, as the category list opens on the
// first and closes on the fifth.
bool convertOnce(Server& server, pid_t pid, xcb_window_t window)
{
    const xcb_keysym_t keys[] = {KeyF4, KeyDown, KeyDown, KeyDown, KeyReturn, KeyTwo, KeyTab, KeyEnd, KeyTab};
    for (const xcb_keysym_t key : keys) {
        if (!server.press(key))
            return false;
        server.idle(pid, Clock::now() + KeyGap);
    }
    const Watch watch = resultLine(window);
    return server.press(KeyDown, &watch) && server.waitForWatched(pid, Clock::now() + HandOverTimeout);
}

std::optional<Sample> runOnce(Server& server, const Program& program, const Row& row, int picks)
{
    server.settle();
    // The programs must come up on the X server, whatever the caller's shell says.
    std::vector<std::string> environment = row.environment;
    environment.emplace_back("QT_QPA_PLATFORM=xcb");
    const auto started = Clock::now();
    const pid_t pid = spawn({program.path}, environment, -1, true);
    if (pid < 0) {
        std::perror("bench_startup: fork");
        return std::nullopt;
    }

    const std::optional<Mapped> mapped = server.waitForMap(pid, started + MapTimeout);
    if (!mapped) {
        std::fprintf(stderr, "bench_startup: %s mapped no window\n", program.path.c_str());
        stop(pid);
        return std::nullopt;
    }
    Sample sample;
    sample.startupMs = Millis(mapped->when - started).count();
    sample.cpuMs = mapped->cpuMs;
    if (const auto frame = server.waitForCompleteFrame(pid, mapped->window, mapped->when + MapTimeout))
        sample.firstFrameMs = Millis(*frame - started).count();
    else
        std::fprintf(stderr, "bench_startup: %s drew no complete first frame\n", program.path.c_str());
    // Every program lives a second after its map, the list floor too though its memory
    // is nobody's concern: a start that came right after one ended at its first frame
    // found the caches still full of the toolkit, and ran ahead (two copies of one
    // program measured 1.02 to 1.06 apart in --picks 0 runs, the one after it ahead).
    server.idle(pid, mapped->when + RssDelay);
    if (program.role != Role::PickFloor)
        sample.rssMb = residentMb(pid);

    if (program.role == Role::Converter) {
        // The splash hands over by itself after 3.5 s; a window mapped before the key
        // would be that, and the key would measure nothing.
        const auto pressed = Clock::now();
        std::optional<Mapped> next;
        if (!server.press(KeySpace)) {
            std::fprintf(stderr, "bench_startup: cannot press a key (no XTEST on the server?)\n");
        } else if ((next = server.waitForMap(pid, pressed + HandOverTimeout, mapped->window))) {
            sample.handOverMs = Millis(next->when - pressed).count();
            if (const auto frame = server.waitForCompleteFrame(pid, next->window, pressed + HandOverTimeout))
                sample.handOverFrameMs = Millis(*frame - pressed).count();
            else
                std::fprintf(stderr, "bench_startup: the converter window drew no complete first frame\n");
        } else {
            std::fprintf(stderr, "bench_startup: no second window after the key\n");
        }
        if (next && picks > 0) {
            if (convertOnce(server, pid, next->window))
                sample.pickMs = median(timePicks(server, pid, next->window, picks));
            else
                std::fprintf(stderr, "bench_startup: the typed conversion wrote no result line\n");
        }
    } else if (program.role == Role::PickFloor && picks > 0) {
        sample.pickMs = median(timePicks(server, pid, mapped->window, picks));
    }
    stop(pid);
    return sample;
}

std::vector<double> field(const Program& program, double Sample::*member)
{
    std::vector<double> values;
    for (const Sample& sample : program.samples)
        values.push_back(sample.*member);
    return values;
}

// One program's figure divided by the other's in each round: the two starts of a round
// see nearly the same machine, so a drift of its speed over a minute of runs, about as
// large as the margins measured, cancels out. The median is the judged figure; the
// middle half of the rounds tells how steady the machine was.
struct Ratios {
    double median, lowQuartile, highQuartile;
};

Ratios roundRatios(const Program& program, const Program& floor, double Sample::*member)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < program.samples.size(); ++i) {
        const double ratio = program.samples[i].*member / floor.samples[i].*member;
        if (!std::isnan(ratio))
            ratios.push_back(ratio);
    }
    if (ratios.empty())
        return {NAN, NAN, NAN};
    std::sort(ratios.begin(), ratios.end());
    const std::size_t n = ratios.size();
    return {median(ratios), ratios[n / 4], ratios[(3 * n) / 4 - (n % 4 == 0 ? 1 : 0)]};
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five;
    file >> one >> five;
    return one + " (1 min), " + five + " (5 min)";
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// Runs the rounds of one row and prints it; false if a target was missed.
bool measure(Server& server, const Row& row, Program& pellimor, Program& floor, Program& pickFloor, int rounds,
             int picks, bool verbose)
{
    for (Program* program : {&pellimor, &floor, &pickFloor})
        program->samples.clear();
    const std::string loadBefore = loadAverage();
    // The first start of each fills the caches (fonts, shared libraries) all then share.
    for (Program* program : {&floor, &pickFloor, &pellimor}) {
        if (!runOnce(server, *program, row, picks))
            std::exit(1);
    }
    // Alternate, and alternate who goes first, so a drift of the machine's load during
    // the runs weighs on all alike.
    for (int round = 0; round < rounds; ++round) {
        Program* order[3] = {&pellimor, &floor, &pickFloor};
        if (round % 2)
            std::swap(order[0], order[2]);
        for (Program* program : order) {
            const std::optional<Sample> sample = runOnce(server, *program, row, picks);
            if (!sample)
                std::exit(1);
            program->samples.push_back(*sample);
            if (verbose) {
                std::printf("    %-10s round %2d  mapped %6.1f ms  frame %6.1f ms  CPU %6.1f ms  %6.1f MB",
                            program->label, round + 1, sample->startupMs, sample->firstFrameMs, sample->cpuMs,
                            sample->rssMb);
                if (!std::isnan(sample->handOverMs))
                    std::printf("  hand-over mapped %5.1f ms  frame %5.1f ms", sample->handOverMs,
                                sample->handOverFrameMs);
                if (!std::isnan(sample->pickMs))
                    std::printf("  pick %5.2f ms", sample->pickMs);
                std::printf("\n");
            }
        }
    }

    const auto med = [](const Program& program, double Sample::*member) {
        return median(field(program, member));
    };
    const Ratios wall = roundRatios(pellimor, floor, &Sample::startupMs);
    const Ratios frame = roundRatios(pellimor, floor, &Sample::firstFrameMs);
    const Ratios cpu = roundRatios(pellimor, floor, &Sample::cpuMs);
    const Ratios pick = roundRatios(pellimor, pickFloor, &Sample::pickMs);
    const double rssExtra = med(pellimor, &Sample::rssMb) - med(floor, &Sample::rssMb);
    const double handOver = med(pellimor, &Sample::handOverMs);
    const double handOverFrame = med(pellimor, &Sample::handOverFrameMs);
    const bool wallMet = wall.median <= WallTarget;
    const bool frameMet = frame.median <= WallTarget;
    const bool cpuMet = cpu.median <= row.cpuTarget;
    const bool rssMet = rssExtra <= MemoryTarget;
    const bool handOverMet = handOver <= HandOverTarget;
    const bool handOverFrameMet = handOverFrame <= HandOverFrameTarget;
    const bool pickMet = picks <= 0 || pick.median <= PickTarget;

    std::printf("%s, %d rounds, load average %s at the start, %s at the end:\n", row.name, rounds,
                loadBefore.c_str(), loadAverage().c_str());
    std::printf("  exec to first window mapped      floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::startupMs), med(pellimor, &Sample::startupMs), wall.median, WallTarget,
                verdict(wallMet), wall.lowQuartile, wall.highQuartile);
    std::printf("  exec to first complete frame     floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::firstFrameMs), med(pellimor, &Sample::firstFrameMs), frame.median, WallTarget,
                verdict(frameMet), frame.lowQuartile, frame.highQuartile);
    std::printf("  CPU used by the map              floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::cpuMs), med(pellimor, &Sample::cpuMs), cpu.median, row.cpuTarget,
                verdict(cpuMet), cpu.lowQuartile, cpu.highQuartile);
    std::printf("  resident memory 1 s later        floor %6.1f MB  pellimor %6.1f MB  %+.1f MB "
                "(target <= +%.0f MB: %s)\n",
                med(floor, &Sample::rssMb), med(pellimor, &Sample::rssMb), rssExtra, MemoryTarget,
                verdict(rssMet));
    std::printf("  key in the splash to the converter window mapped          %5.1f ms (target <= %.0f ms: %s)\n",
                handOver, HandOverTarget, verdict(handOverMet));
    std::printf("  key in the splash to the converter window's first frame   %5.1f ms (target <= %.0f ms: %s)\n",
                handOverFrame, HandOverFrameTarget, verdict(handOverFrameMet));
    if (picks > 0) {
        std::printf("  To pick to the new result line drawn  list floor %5.2f ms  pellimor %5.2f ms  per round "
                    "%.3f (target <= %.2f: %s; middle half %.3f to %.3f)\n",
                    med(pickFloor, &Sample::pickMs), med(pellimor, &Sample::pickMs), pick.median, PickTarget,
                    verdict(pickMet), pick.lowQuartile, pick.highQuartile);
    }
    std::fflush(stdout);
    return wallMet && frameMet && cpuMet && rssMet && handOverMet && handOverFrameMet && pickMet;
}

// Whether a screen reader could listen on the caller's buses: a session bus, the
// accessibility bus (named by AT_SPI_BUS_ADDRESS, or by the launcher on the session bus)
// and its registry answering there. Empty if so, else what is missing.
std::string accessibilityBusMissing()
{
    const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!session || !*session)
        return "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
    std::string busAddress;
    if (const char* given = std::getenv("AT_SPI_BUS_ADDRESS"); given && *given) {
        busAddress = given;
    } else {
        // Asked for its address while nobody owns the name, the session bus would start
        // a launcher of its own, which nobody here would end.
        const auto owned = capture({DBUS_SEND, "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                    "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                    "string:org.a11y.Bus"});
        if (!owned)
            return std::string("the session bus does not answer (") + session + ")";
        if (owned->find("boolean true") == std::string::npos)
            return "no accessibility bus on the session bus (nobody owns org.a11y.Bus)";
        const auto reply = capture({DBUS_SEND, "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                    "org.a11y.Bus.GetAddress"});
        const auto open = reply ? reply->find("string \"") : std::string::npos;
        if (open == std::string::npos)
            return "the accessibility bus launcher gives no address";
        busAddress = reply->substr(open + 8, reply->find('"', open + 8) - open - 8);
    }
    // The accessibility bus starts the registry on the first call, if it has not yet.
    if (!capture({DBUS_SEND, "--bus=" + busAddress, "--print-reply", "--dest=org.a11y.atspi.Registry",
                  "/org/a11y/atspi/registry", "org.freedesktop.DBus.Peer.Ping"}))
        return "the accessibility registry does not answer on " + busAddress;
    return {};
}

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_startup [--row desktop|accessibility] [--rounds N] [--picks N] [--verbose]\n"
                 "                     [PROGRAM FLOOR [PICK_FLOOR]]\n"
                 "Run it on an X server of its own, the accessibility row with the buses too:\n"
                 "  tests/client/session.py -- bench_startup --row desktop\n"
                 "  tests/client/session.py --buses -- bench_startup --row accessibility\n"
                 "The desktop row is the default. --picks 0 leaves the To picks out.\n"
                 "Exit status 3: a target was missed.\n");
}

} // namespace

int main(int argc, char* argv[])
{
    int rounds = DefaultRounds;
    int picks = DefaultPicks;
    bool verbose = false;
    std::string row = "desktop";
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "--rounds") == 0 || std::strcmp(argv[i], "--runs") == 0) && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--picks") == 0 && i + 1 < argc) {
            picks = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[i], "--row") == 0 && i + 1 < argc) {
            row = argv[++i];
        } else if (argv[i][0] == '-') {
            usage();
            return 2;
        } else {
            paths.emplace_back(argv[i]);
        }
    }
    if (rounds < 1 || picks < 0 || (!paths.empty() && paths.size() != 2 && paths.size() != 3)
        || !(row == "desktop" || row == "accessibility")) {
        usage();
        return 2;
    }
    if (paths.empty())
        paths = {PELLIMOR_PROGRAM, FLOOR_PROGRAM};
    if (paths.size() == 2)
        paths.emplace_back(PICK_FLOOR_PROGRAM);

    // Before any start: a row measured without its buses would be the desktop row
    // under the wrong name.
    if (row == "accessibility") {
        if (const std::string missing = accessibilityBusMissing(); !missing.empty()) {
            std::fprintf(stderr,
                         "bench_startup: no accessibility row: %s; run it under tests/client/session.py --buses\n",
                         missing.c_str());
            return 1;
        }
    }

    errno = 0;
    g_callerNice = getpriority(PRIO_PROCESS, 0);
    sched_param realTime{};
    realTime.sched_priority = 1;
    const bool prompt = sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &realTime) == 0
                        || setpriority(PRIO_PROCESS, 0, RunnerNice) == 0;

    Program pellimor{"pellimor", paths[0], Role::Converter, {}};
    Program floor{"floor", paths[1], Role::Floor, {}};
    Program pickFloor{"list floor", paths[2], Role::PickFloor, {}};
    Server server;

    std::printf("Start-up of pellimor against the floor (one window with one label), and its To picks against\n"
                "a list floor (a bare list and line edit in their places), alternating, after a warm-up; a frame\n"
                "is complete once every pixel of the window has been drawn since its map; ratios are taken per\n"
                "round, at the median%s.\n",
                prompt ? "" : " (the runner could not raise its priority: figures may be late)");
    const Row measured = row == "desktop"
        ? Row{"Desktop", 1.05, {}}
        : Row{"Session bus, accessibility bus and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", 1.10,
              {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}};
    return measure(server, measured, pellimor, floor, pickFloor, rounds, picks, verbose) ? 0 : 3;
}
