// Starts the converter and the floor program in turn under the X server named by
// DISPLAY and measures, for each, the time from exec to the moment its first window is
// mapped, the CPU time it had used by then, and its resident memory one second after
// that; then, for the converter, how long a key pressed in the splash takes to bring the
// converter window on screen. The runner watches the root window's children itself, so
// a moment is the server's MapNotify and not a poll of some outside tool; a window
// counts only if its _NET_WM_PID is the started process.
//
// Two rows: the desktop as the caller has it, and one where a screen reader could be
// listening: a private session bus, the accessibility bus of at-spi2-core with its
// registry, and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 for both programs.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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
constexpr double MemoryTarget = 5.0;       // MB above the floor
constexpr double HandOverTarget = 50.0;    // ms from the key to the converter window mapped
// The runner must wake on the server's events before the programs it watches go on
// working: after its map the converter builds its main window, the floor idles, so a
// late look would charge the converter alone. Real-time if allowed, else a high priority;
// the programs it starts run as the caller's processes do.
constexpr int RunnerNice = -10;

struct Sample {
    double startupMs = NAN;
    double cpuMs = NAN;
    double rssMb = NAN;
    double handOverMs = NAN;   // the converter only
};

struct Mapped {
    Clock::time_point when;
    double cpuMs;
    xcb_window_t window;
};

struct Program {
    const char* label;
    std::string path;
    bool handsOver;   // a key in its first window brings up a second one
    std::vector<Sample> samples;
};

struct Row {
    const char* name;
    double timeTarget;   // wall and CPU, times the floor
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

// CPU time of all the process's threads so far, in ms, from the scheduler's account in
// nanoseconds (the tick-based counters of /proc/<pid>/stat are too coarse here).
double cpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return NAN;
    double total = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
        double ns = 0;
        if (schedstat >> ns)
            total += ns / 1e6;
    }
    closedir(dir);
    return total;
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
std::optional<std::string> capture(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = spawn(argv, environment, fds[1]);
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
        // Every top-level window mapped by anyone is reported to us.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screens.data->root, XCB_CW_EVENT_MASK, &mask);

        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(atom);
        m_spaceKey = keycodeOf(setup, 0x20);   // the keysym of the space bar
        xcb_flush(m_connection);

        // The started programs must not inherit our connection.
        const int fd = xcb_get_file_descriptor(m_connection);
        fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }

    ~Server() { xcb_disconnect(m_connection); }

    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Throws away what earlier runs left queued (their windows' unmaps and destroys).
    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // The moment a window of `pid` other than `except` was mapped and the CPU time the
    // process had used by then, or nothing if it died or showed nothing in time.
    std::optional<Mapped> waitForMap(pid_t pid, Clock::time_point deadline, xcb_window_t except = XCB_NONE)
    {
        pollfd watch{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const auto seen = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (!mapped || window == except)
                    continue;
                // Read before asking the server whose window it is: the program goes on
                // working while the question travels.
                const double cpu = cpuMs(pid);
                if (ownerOf(window) == pid)
                    return Mapped{seen, cpu, window};
            }
            if (xcb_connection_has_error(m_connection))
                return std::nullopt;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return std::nullopt;
            poll(&watch, 1, 50);
        }
        return std::nullopt;
    }

    // A press and release of the space bar, through the server's test extension, as a
    // keyboard would: it goes to whichever window has the focus.
    bool pressSpace()
    {
        if (m_spaceKey == 0)
            return false;
        xcb_test_fake_input(m_connection, XCB_KEY_PRESS, m_spaceKey, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, m_spaceKey, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        return xcb_flush(m_connection) > 0;
    }

private:
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

    xcb_keycode_t keycodeOf(const xcb_setup_t* setup, xcb_keysym_t keysym)
    {
        const xcb_keycode_t first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, first, uint8_t(count)), nullptr);
        xcb_keycode_t found = 0;
        if (reply) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            const int perCode = reply->keysyms_per_keycode;
            for (int i = 0; i < count * perCode && !found; ++i) {
                if (syms[i] == keysym)
                    found = xcb_keycode_t(first + i / perCode);
            }
        }
        std::free(reply);
        return found;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    xcb_keycode_t m_spaceKey = 0;
};

std::optional<Sample> runOnce(Server& server, const Program& program, const Row& row)
{
    server.drain();
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
    std::this_thread::sleep_until(mapped->when + RssDelay);
    sample.rssMb = residentMb(pid);

    if (program.handsOver) {
        // The splash hands over by itself after 3.5 s; a window mapped before the key
        // would be that, and the key would measure nothing.
        server.drain();
        const auto pressed = Clock::now();
        if (!server.pressSpace()) {
            std::fprintf(stderr, "bench_startup: cannot press a key (no XTEST on the server?)\n");
        } else if (const auto next = server.waitForMap(pid, pressed + HandOverTimeout, mapped->window)) {
            sample.handOverMs = Millis(next->when - pressed).count();
        } else {
            std::fprintf(stderr, "bench_startup: no second window after the key\n");
        }
    }
    stop(pid);
    return sample;
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
    for (std::size_t i = 0; i < program.samples.size(); ++i)
        ratios.push_back(program.samples[i].*member / floor.samples[i].*member);
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
bool measure(Server& server, const Row& row, Program& pellimor, Program& floor, int rounds, bool verbose)
{
    pellimor.samples.clear();
    floor.samples.clear();
    const std::string loadBefore = loadAverage();
    // The first start of each fills the caches (fonts, shared libraries) both then share.
    for (Program* program : {&floor, &pellimor}) {
        if (!runOnce(server, *program, row))
            std::exit(1);
    }
    // Alternate, and alternate who goes first, so a drift of the machine's load during
    // the runs weighs on both alike.
    for (int round = 0; round < rounds; ++round) {
        Program* order[2] = {&pellimor, &floor};
        if (round % 2)
            std::swap(order[0], order[1]);
        for (Program* program : order) {
            const std::optional<Sample> sample = runOnce(server, *program, row);
            if (!sample)
                std::exit(1);
            program->samples.push_back(*sample);
            if (verbose) {
                std::printf("    %-9s round %2d  %7.1f ms  CPU %6.1f ms  %6.1f MB", program->label, round + 1,
                            sample->startupMs, sample->cpuMs, sample->rssMb);
                if (!std::isnan(sample->handOverMs))
                    std::printf("  hand-over %6.1f ms", sample->handOverMs);
                std::printf("\n");
            }
        }
    }

    const auto med = [](const Program& program, double Sample::*member) {
        return median(field(program, member));
    };
    const Ratios wall = roundRatios(pellimor, floor, &Sample::startupMs);
    const Ratios cpu = roundRatios(pellimor, floor, &Sample::cpuMs);
    const double rssExtra = med(pellimor, &Sample::rssMb) - med(floor, &Sample::rssMb);
    const double handOver = med(pellimor, &Sample::handOverMs);
    const bool wallMet = wall.median <= row.timeTarget;
    const bool cpuMet = cpu.median <= row.timeTarget;
    const bool rssMet = rssExtra <= MemoryTarget;
    const bool handOverMet = handOver <= HandOverTarget;

    std::printf("%s, %d rounds, load average %s at the start, %s at the end:\n", row.name, rounds,
                loadBefore.c_str(), loadAverage().c_str());
    std::printf("  exec to first window mapped  floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::startupMs), med(pellimor, &Sample::startupMs), wall.median, row.timeTarget,
                verdict(wallMet), wall.lowQuartile, wall.highQuartile);
    std::printf("  CPU used by then             floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::cpuMs), med(pellimor, &Sample::cpuMs), cpu.median, row.timeTarget,
                verdict(cpuMet), cpu.lowQuartile, cpu.highQuartile);
    std::printf("  resident memory 1 s later    floor %6.1f MB  pellimor %6.1f MB  %+.1f MB "
                "(target <= +%.0f MB: %s)\n",
                med(floor, &Sample::rssMb), med(pellimor, &Sample::rssMb), rssExtra, MemoryTarget,
                verdict(rssMet));
    std::printf("  key in the splash to the converter window mapped  %.1f ms (target <= %.0f ms: %s)\n",
                handOver, HandOverTarget, verdict(handOverMet));
    std::fflush(stdout);
    return wallMet && cpuMet && rssMet && handOverMet;
}

// A private session bus with the accessibility bus of at-spi2-core and its registry
// on it, as a desktop with a screen reader has them; everything is ended with it.
class AccessibilityBus {
public:
    bool start(std::string& why)
    {
        int fds[2];
        if (pipe(fds) != 0) {
            why = "no pipe";
            return false;
        }
        m_session = spawn({DBUS_DAEMON, "--session", "--nofork", "--print-address=1"}, {}, fds[1]);
        close(fds[1]);
        std::string address;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            address += c;
        close(fds[0]);
        if (address.empty()) {
            why = "the session bus did not start (" DBUS_DAEMON ")";
            return false;
        }
        m_environment = {"DBUS_SESSION_BUS_ADDRESS=" + address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};

        m_launcher = spawn({AT_SPI_BUS_LAUNCHER, "--launch-immediately", "--a11y=1"}, m_environment);
        // Ready once the launcher answers with the accessibility bus's address, and the
        // registry once it answers on that bus (the bus starts it on the first call).
        std::string busAddress;
        for (int attempt = 0; attempt < 100 && busAddress.empty(); ++attempt) {
            if (const auto reply = capture({DBUS_SEND, "--session", "--print-reply", "--dest=org.a11y.Bus",
                                            "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                                           m_environment)) {
                const auto open = reply->find("string \"");
                if (open != std::string::npos)
                    busAddress = reply->substr(open + 8, reply->find('"', open + 8) - open - 8);
            }
            if (busAddress.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (busAddress.empty()) {
            why = "the accessibility bus did not come up (" AT_SPI_BUS_LAUNCHER ")";
            return false;
        }
        if (!capture({DBUS_SEND, "--bus=" + busAddress, "--print-reply", "--dest=org.a11y.atspi.Registry",
                      "/org/a11y/atspi/registry", "org.freedesktop.DBus.Peer.Ping"},
                     m_environment)) {
            why = "the accessibility registry does not answer";
            return false;
        }
        return true;
    }

    const std::vector<std::string>& environment() const { return m_environment; }

    ~AccessibilityBus()
    {
        // The launcher ends the accessibility bus, and with it the registry.
        if (m_launcher > 0)
            stop(m_launcher);
        if (m_session > 0)
            stop(m_session);
    }

private:
    pid_t m_session = -1;
    pid_t m_launcher = -1;
    std::vector<std::string> m_environment;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_startup [--rounds N] [--verbose] [--only desktop|accessibility] [PROGRAM FLOOR]\n"
                 "Run it on an X server of its own, e.g. under xvfb-run. Exit status 3: a target was missed.\n");
}

} // namespace

int main(int argc, char* argv[])
{
    int rounds = DefaultRounds;
    bool verbose = false;
    std::string only;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "--rounds") == 0 || std::strcmp(argv[i], "--runs") == 0) && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (argv[i][0] == '-') {
            usage();
            return 2;
        } else {
            paths.emplace_back(argv[i]);
        }
    }
    if (rounds < 1 || (!paths.empty() && paths.size() != 2)
        || !(only.empty() || only == "desktop" || only == "accessibility")) {
        usage();
        return 2;
    }
    if (paths.empty())
        paths = {PELLIMOR_PROGRAM, FLOOR_PROGRAM};

    // A runtime folder of their own for the programs and the buses started here: under
    // xvfb-run from a root shell there is none, and on a desktop the accessibility bus
    // started here must not meet the session's own in the caller's folder.
    char runtimeDir[] = "/tmp/bench_startup-XXXXXX";
    const bool ownRuntimeDir = mkdtemp(runtimeDir) != nullptr;
    if (ownRuntimeDir)
        setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
    struct RemoveAtEnd {
        const char* dir;
        ~RemoveAtEnd()
        {
            std::error_code ignored;
            if (dir)
                std::filesystem::remove_all(dir, ignored);
        }
    } removeAtEnd{ownRuntimeDir ? runtimeDir : nullptr};

    errno = 0;
    g_callerNice = getpriority(PRIO_PROCESS, 0);
    sched_param realTime{};
    realTime.sched_priority = 1;
    const bool prompt = sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &realTime) == 0
                        || setpriority(PRIO_PROCESS, 0, RunnerNice) == 0;

    Program pellimor{"pellimor", paths[0], true, {}};
    Program floor{"floor", paths[1], false, {}};
    Server server;

    std::printf("Start-up of pellimor against the floor (one window with one label), alternating, after a "
                "warm-up;\nratios are taken per round, at the median%s.\n",
                prompt ? "" : " (the runner could not raise its priority: figures may be late)");
    bool met = true;
    if (only.empty() || only == "desktop")
        met = measure(server, {"Desktop", 1.05, {}}, pellimor, floor, rounds, verbose) && met;
    if (only.empty() || only == "accessibility") {
        AccessibilityBus bus;
        std::string why;
        if (!bus.start(why)) {
            std::fprintf(stderr, "bench_startup: no accessibility row: %s\n", why.c_str());
            return 1;
        }
        met = measure(server, {"Session bus, accessibility bus and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", 1.10,
                               bus.environment()},
                      pellimor, floor, rounds, verbose)
              && met;
    }
    return met ? 0 : 3;
}
