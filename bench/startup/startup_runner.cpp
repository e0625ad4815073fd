// Starts the converter and the floor program in turn under the X server named by
// DISPLAY and measures, for each, the time from exec to the moment its first window is
// mapped, and its resident memory one second after that. The runner watches the root
// window's children itself, so the moment is the server's MapNotify and not a poll of
// some outside tool; a window counts only if its _NET_WM_PID is the started process.
// The CPU time the process had used by then is reported beside the wall time: on a
// busy machine it tells the program's own cost from time spent waiting for a core.

#include <xcb/xcb.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto MapTimeout = std::chrono::seconds(20);
constexpr auto RssDelay = std::chrono::seconds(1);
constexpr int DefaultRuns = 11;
constexpr double StartupTarget = 1.15;   // times the floor
constexpr double MemoryTarget = 8.0;     // MB above the floor

struct Sample {
    double startupMs;
    double cpuMs;
    double rssMb;
};

struct Mapped {
    Clock::time_point when;
    double cpuMs;
};

struct Program {
    const char* label;
    std::string path;
    std::vector<Sample> samples;
};

// Resident memory in MB, from the kernel's own account; negative if unreadable.
double residentMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;   // the line is in kB
    }
    return -1.0;
}

// CPU time of all the process's threads so far, in ms, from the scheduler's account in
// nanoseconds (the tick-based counters of /proc/<pid>/stat are too coarse here).
double cpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1.0;
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
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
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

    // The moment the first window of `pid` was mapped and the CPU time it had used by
    // then, or nothing if the process died or showed nothing in time.
    std::optional<Mapped> waitForMap(pid_t pid, Clock::time_point deadline)
    {
        pollfd watch{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const auto seen = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (!mapped)
                    continue;
                // Read before asking the server whose window it is: the program goes on
                // working while the question travels.
                const double cpu = cpuMs(pid);
                if (ownerOf(window) == pid)
                    return Mapped{seen, cpu};
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

    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

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

std::optional<Sample> runOnce(Server& server, const std::string& path)
{
    server.drain();
    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("bench_startup: fork");
        return std::nullopt;
    }
    if (pid == 0) {
        // The programs must come up on the X server, whatever the caller's shell says.
        unsetenv("QT_QPA_PLATFORM");
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        std::perror("bench_startup: exec");
        _exit(127);
    }

    const std::optional<Mapped> mapped = server.waitForMap(pid, started + MapTimeout);
    if (!mapped) {
        std::fprintf(stderr, "bench_startup: %s mapped no window\n", path.c_str());
        stop(pid);
        return std::nullopt;
    }
    std::this_thread::sleep_until(mapped->when + RssDelay);
    const Sample sample{Millis(mapped->when - started).count(), mapped->cpuMs, residentMb(pid)};
    stop(pid);
    return sample;
}

double median(std::vector<double> values)
{
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

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_startup [--runs N] [--verbose] [PROGRAM FLOOR]\n"
                 "Run it on an X server of its own, e.g. under xvfb-run.\n");
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = DefaultRuns;
    bool verbose = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (argv[i][0] == '-') {
            usage();
            return 2;
        } else {
            paths.emplace_back(argv[i]);
        }
    }
    if (runs < 1 || (!paths.empty() && paths.size() != 2)) {
        usage();
        return 2;
    }
    if (paths.empty())
        paths = {PELLIMOR_PROGRAM, FLOOR_PROGRAM};

    // Started from a root shell under xvfb-run the programs have no runtime folder: give
    // them a private one, so Qt neither complains nor falls back to a shared one.
    char runtimeDir[] = "/tmp/bench_startup-XXXXXX";
    const bool ownRuntimeDir = !std::getenv("XDG_RUNTIME_DIR") && mkdtemp(runtimeDir);
    if (ownRuntimeDir)
        setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
    struct RemoveAtEnd {
        const char* dir;
        ~RemoveAtEnd()
        {
            if (dir)
                rmdir(dir);
        }
    } removeAtEnd{ownRuntimeDir ? runtimeDir : nullptr};

    Program pellimor{"pellimor", paths[0], {}};
    Program floor{"floor", paths[1], {}};
    Server server;

    // The first start of each fills the caches (fonts, shared libraries) both then share.
    for (Program* program : {&floor, &pellimor}) {
        if (!runOnce(server, program->path))
            return 1;
    }
    // Alternate, and alternate who goes first, so a drift of the machine's load during
    // the runs weighs on both alike.
    for (int round = 0; round < runs; ++round) {
        Program* order[2] = {&pellimor, &floor};
        if (round % 2)
            std::swap(order[0], order[1]);
        for (Program* program : order) {
            const std::optional<Sample> sample = runOnce(server, program->path);
            if (!sample)
                return 1;
            program->samples.push_back(*sample);
            if (verbose) {
                std::printf("  %-9s run %2d  %7.1f ms  CPU %6.1f ms  %6.1f MB\n", program->label,
                            round + 1, sample->startupMs, sample->cpuMs, sample->rssMb);
            }
        }
    }

    const auto med = [](const Program& program, double Sample::*member) {
        return median(field(program, member));
    };
    std::printf("Start-up: exec to first mapped window (wall), CPU used by then, resident "
                "memory 1 s later\n%d runs each after a warm-up, medians\n",
                runs);
    for (const Program* program : {&floor, &pellimor}) {
        const std::vector<double> times = field(*program, &Sample::startupMs);
        std::printf("  %-9s %7.1f ms (min %.1f, max %.1f)   CPU %6.1f ms   RSS %6.1f MB\n",
                    program->label, median(times), *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), med(*program, &Sample::cpuMs),
                    med(*program, &Sample::rssMb));
    }
    // The machine's speed drifts over a minute of runs by about as much as the margin
    // being measured; the two starts of one round see nearly the same machine, so the
    // ratio within each round, taken at its median, is the figure that drift leaves alone.
    std::vector<double> roundRatios;
    for (std::size_t i = 0; i < pellimor.samples.size(); ++i)
        roundRatios.push_back(pellimor.samples[i].startupMs / floor.samples[i].startupMs);
    const double timeRatio = median(roundRatios);
    const double ratioOfMedians = med(pellimor, &Sample::startupMs) / med(floor, &Sample::startupMs);
    const double cpuRatio = med(pellimor, &Sample::cpuMs) / med(floor, &Sample::cpuMs);
    const double rssExtra = med(pellimor, &Sample::rssMb) - med(floor, &Sample::rssMb);
    std::printf("  pellimor / floor: start-up %.2f per round (target <= %.2f: %s; ratio of the "
                "medians %.2f), CPU %.2f, RSS %+.1f MB (target <= +%.0f MB: %s)\n",
                timeRatio, StartupTarget, timeRatio <= StartupTarget ? "met" : "MISSED",
                ratioOfMedians, cpuRatio, rssExtra, MemoryTarget,
                rssExtra <= MemoryTarget ? "met" : "MISSED");
    return 0;
}
