// Starts the converter and the floor program in turn under the X server named by
// DISPLAY and measures, for each, the time from exec to the moment its first window is
// mapped, to the moment that window's first complete frame is on screen, the CPU time it
// had used by the map, and its resident memory one second after that; then, for the
// converter, how long a key pressed in the splash takes to bring the converter window on
// screen, mapped and drawn, and how long a pick in its To list takes to put the new
// result line on screen, against a list floor doing the same. The moments are the
// server's own MapNotify and DamageNotify, through the tests' display watcher; a window
// counts only if its _NET_WM_PID is the started process.
//
// One row a run: a bare X server; the same with a session bus and the accessibility bus
// of at-spi2-core, the registry answering on it, and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
// for all programs, as where a screen reader listens; or under a window manager. The
// runner starts no display, bus or window manager itself: tests/client/session.py does,
// and ends them with everything they started.

#include "support/DisplayWatcher.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using pellimor::test::DisplayWatcher;
using Server = DisplayWatcher;
using Watch = DisplayWatcher::Watch;
using Mapped = DisplayWatcher::Mapped;
using Clock = DisplayWatcher::Clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto MapTimeout = std::chrono::seconds(20);
constexpr auto HandOverTimeout = std::chrono::seconds(5);
constexpr auto RssDelay = std::chrono::seconds(1);
constexpr int DefaultRounds = 21;
constexpr double WallTarget = 1.15;        // exec to the map, and to the first complete frame, times the floor's
constexpr double FrameLagTarget = 8.0;     // ms the first complete frame may come after the floor's, less than
constexpr double MemoryTarget = 5.0;       // MB above the floor
constexpr double HandOverTarget = 50.0;    // ms from the key to the converter window mapped
constexpr double HandOverFrameTarget = 16.0;   // ms from the key to its first complete frame: one frame at 60 Hz
constexpr double PickTarget = 1.25;        // a pick's time, times the pick floor's
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
    bool untrusted = false;        // a window was mapped before the watcher could watch it
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
    Clock::time_point frameAt;
    switch (server.waitForCompleteFrame(pid, mapped->window, mapped->when + MapTimeout, &frameAt)) {
    case DisplayWatcher::Frame::Complete:
        sample.firstFrameMs = Millis(frameAt - started).count();
        break;
    case DisplayWatcher::Frame::Untrusted:
        stop(pid);
        sample.untrusted = true;
        return sample;
    case DisplayWatcher::Frame::NotInTime:
        std::fprintf(stderr, "bench_startup: %s drew no complete first frame\n", program.path.c_str());
        break;
    }
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
            const auto frame = server.waitForCompleteFrame(pid, next->window, pressed + HandOverTimeout, &frameAt);
            if (frame == DisplayWatcher::Frame::Complete)
                sample.handOverFrameMs = Millis(frameAt - pressed).count();
            else if (frame == DisplayWatcher::Frame::Untrusted)
                sample.untrusted = true;
            else
                std::fprintf(stderr, "bench_startup: the converter window drew no complete first frame\n");
        } else {
            std::fprintf(stderr, "bench_startup: no second window after the key\n");
        }
        if (next && picks > 0 && !sample.untrusted) {
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

// One program's figure against the other's in each round, divided or less it: the two
// starts of a round see nearly the same machine, so a drift of its speed over a minute of
// runs, about as large as the margins measured, cancels out. The median is the judged
// figure; the middle half of the rounds tells how steady the machine was.
struct Ratios {
    double median, lowQuartile, highQuartile;
};

enum class Against { Ratio, Difference };

Ratios perRound(const Program& program, const Program& floor, double Sample::*member,
                Against against = Against::Ratio)
{
    std::vector<double> figures;
    for (std::size_t i = 0; i < program.samples.size(); ++i) {
        const double mine = program.samples[i].*member, theirs = floor.samples[i].*member;
        const double figure = against == Against::Ratio ? mine / theirs : mine - theirs;
        if (!std::isnan(figure))
            figures.push_back(figure);
    }
    if (figures.empty())
        return {NAN, NAN, NAN};
    std::sort(figures.begin(), figures.end());
    const std::size_t n = figures.size();
    return {median(figures), figures[n / 4], figures[(3 * n) / 4 - (n % 4 == 0 ? 1 : 0)]};
}

// A start whose window was mapped before the watcher could watch it tells nothing of its
// frames: it is made again, and only starts the watcher could trust are counted.
constexpr int Attempts = 5;

std::optional<Sample> runCounted(Server& server, const Program& program, const Row& row, int picks, int& restarts)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        std::optional<Sample> sample = runOnce(server, program, row, picks);
        if (!sample || !sample->untrusted)
            return sample;
        ++restarts;
        std::fprintf(stderr, "bench_startup: %s's window was mapped before it could be watched; started again\n",
                     program.label);
    }
    return std::nullopt;
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
    int restarts = 0;
    const std::string loadBefore = loadAverage();
    // The first start of each fills the caches (fonts, shared libraries) all then share.
    for (Program* program : {&floor, &pickFloor, &pellimor}) {
        if (!runCounted(server, *program, row, picks, restarts))
            std::exit(1);
    }
    // Alternate, and alternate who goes first, so a drift of the machine's load during
    // the runs weighs on all alike.
    for (int round = 0; round < rounds; ++round) {
        Program* order[3] = {&pellimor, &floor, &pickFloor};
        if (round % 2)
            std::swap(order[0], order[2]);
        for (Program* program : order) {
            const std::optional<Sample> sample = runCounted(server, *program, row, picks, restarts);
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
    const Ratios wall = perRound(pellimor, floor, &Sample::startupMs);
    const Ratios frame = perRound(pellimor, floor, &Sample::firstFrameMs);
    const Ratios frameLag = perRound(pellimor, floor, &Sample::firstFrameMs, Against::Difference);
    const Ratios cpu = perRound(pellimor, floor, &Sample::cpuMs);
    const Ratios pick = perRound(pellimor, pickFloor, &Sample::pickMs);
    const double rssExtra = med(pellimor, &Sample::rssMb) - med(floor, &Sample::rssMb);
    const double handOver = med(pellimor, &Sample::handOverMs);
    const double handOverFrame = med(pellimor, &Sample::handOverFrameMs);
    const bool wallMet = wall.median <= WallTarget;
    const bool frameMet = frame.median <= WallTarget && frameLag.median < FrameLagTarget;
    const bool rssMet = rssExtra <= MemoryTarget;
    const bool handOverMet = handOver <= HandOverTarget;
    const bool handOverFrameMet = handOverFrame <= HandOverFrameTarget;
    const bool pickMet = picks <= 0 || pick.median <= PickTarget;

    std::printf("%s, %d rounds, load average %s at the start, %s at the end; %d start%s made again:\n", row.name,
                rounds, loadBefore.c_str(), loadAverage().c_str(), restarts, restarts == 1 ? "" : "s");
    std::printf("  exec to first window mapped      floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(target <= %.2f: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::startupMs), med(pellimor, &Sample::startupMs), wall.median, WallTarget,
                verdict(wallMet), wall.lowQuartile, wall.highQuartile);
    std::printf("  exec to first complete frame     floor %6.1f ms  pellimor %6.1f ms  per round %.3f, %+.1f ms "
                "(target <= %.2f and < %+.0f ms: %s; middle half %.3f to %.3f)\n",
                med(floor, &Sample::firstFrameMs), med(pellimor, &Sample::firstFrameMs), frame.median,
                frameLag.median, WallTarget, FrameLagTarget, verdict(frameMet), frame.lowQuartile,
                frame.highQuartile);
    std::printf("  CPU used by the map              floor %6.1f ms  pellimor %6.1f ms  per round %.3f "
                "(shown, not judged; middle half %.3f to %.3f)\n",
                med(floor, &Sample::cpuMs), med(pellimor, &Sample::cpuMs), cpu.median, cpu.lowQuartile,
                cpu.highQuartile);
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
    return wallMet && frameMet && rssMet && handOverMet && handOverFrameMet && pickMet;
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
                 "usage: bench_startup [--row bare|buses|window-manager] [--rounds N] [--picks N] [--verbose]\n"
                 "                     [PROGRAM FLOOR [PICK_FLOOR]]\n"
                 "Run it on an X server of its own, with the buses or a window manager as the row asks:\n"
                 "  tests/client/session.py -- bench_startup --row bare\n"
                 "  tests/client/session.py --buses -- bench_startup --row buses\n"
                 "  tests/client/session.py --window-manager -- bench_startup --row window-manager\n"
                 "The bare row is the default. --picks 0 leaves the To picks out.\n"
                 "Exit status 3: a target was missed.\n");
}

} // namespace

int main(int argc, char* argv[])
{
    int rounds = DefaultRounds;
    int picks = DefaultPicks;
    bool verbose = false;
    std::string row = "bare";
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
        || !(row == "bare" || row == "buses" || row == "window-manager")) {
        usage();
        return 2;
    }
    if (paths.empty())
        paths = {PELLIMOR_PROGRAM, FLOOR_PROGRAM};
    if (paths.size() == 2)
        paths.emplace_back(PICK_FLOOR_PROGRAM);

    Server server;
    if (!server.error().empty()) {
        std::fprintf(stderr, "bench_startup: %s\n", server.error().c_str());
        return 2;
    }
    // Before any start: a row measured without what it names would be another row under
    // the wrong name.
    if (row == "buses") {
        if (const std::string missing = accessibilityBusMissing(); !missing.empty()) {
            std::fprintf(stderr, "bench_startup: no buses row: %s; run it under tests/client/session.py --buses\n",
                         missing.c_str());
            return 1;
        }
    }
    if (server.windowManagerRuns() != (row == "window-manager")) {
        std::fprintf(stderr, "bench_startup: the %s row wants %s window manager on the display\n", row.c_str(),
                     row == "window-manager" ? "a" : "no");
        return 1;
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

    std::printf("Start-up of pellimor against the floor (one window with one label), and its To picks against\n"
                "a list floor (a bare list and line edit in their places), alternating, after a warm-up; a frame\n"
                "is complete once every pixel of the window has been drawn since its map; ratios are taken per\n"
                "round, at the median%s.\n",
                prompt ? "" : " (the runner could not raise its priority: figures may be late)");
    const Row measured = row == "bare"             ? Row{"Bare X server", {}}
                         : row == "window-manager" ? Row{"Under a window manager", {}}
                                                   : Row{"Session bus, accessibility bus and "
                                                         "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1",
                                                         {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}};
    return measure(server, measured, pellimor, floor, pickFloor, rounds, picks, verbose) ? 0 : 3;
}
