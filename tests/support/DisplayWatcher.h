#pragma once

#include <xcb/xcb.h>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellimor::test {

// What the X server itself says reaches the screen: every top-level window anyone
// creates is watched through a damage object from its creation on, so the moment of its
// map and of its first complete frame (every pixel drawn since the map) are the server's
// own MapNotify and DamageNotify, not a poll of some outside tool. The tests that look at
// the real program's first frames and the start-up bench both watch through this.
//
// A damage object made on a window that is already viewable reports the whole window
// damaged at once, with nothing drawn: a watcher held back by a loaded machine can read a
// creation notice after the program has mapped its window. Such a window is marked
// untrusted, and its frame never counts; whoever started the program starts it again.
class DisplayWatcher {
public:
    using Clock = std::chrono::steady_clock;

    struct Mapped {
        Clock::time_point when;
        double cpuMs;   // the CPU time the watched process had used by then
        xcb_window_t window;
    };

    // A rectangle of a window whose next drawing is waited for, placed from the window's
    // bottom edge.
    struct Watch {
        xcb_window_t window = XCB_NONE;
        int left = 0, fromBottom = 0, width = 0, height = 0;
        std::optional<Clock::time_point> drawn;
    };

    enum class Frame { Complete, Untrusted, NotInTime };

    // Connects to the server named by DISPLAY; error() tells why it cannot watch.
    DisplayWatcher();
    ~DisplayWatcher();
    DisplayWatcher(const DisplayWatcher&) = delete;
    DisplayWatcher& operator=(const DisplayWatcher&) = delete;

    const std::string& error() const { return m_error; }

    // Takes in what earlier starts left queued and forgets their maps.
    void settle();

    // The next map of a window of `pid` other than `except`, with the CPU time the
    // process had used by then; nothing if it died or showed nothing in time. While
    // waiting, the process is only looked at, never reaped.
    std::optional<Mapped> waitForMap(pid_t pid, Clock::time_point deadline, xcb_window_t except = XCB_NONE);

    // Waits until every pixel of the window has been drawn since its map. `at` is set to
    // that moment when the frame is Complete.
    Frame waitForCompleteFrame(pid_t pid, xcb_window_t window, Clock::time_point deadline,
                               Clock::time_point* at = nullptr);

    // Handles the server's events until then, as long as the process lives.
    void idle(pid_t pid, Clock::time_point until);

    // A press and release of a key through the server's test extension: it goes to
    // whichever window has the focus. Arms the watch first, if any, so a drawing that
    // comes back at once is not missed.
    bool press(std::uint32_t keysym, const Watch* watch = nullptr);
    // Waits for the drawing the last press() was armed for.
    std::optional<Clock::time_point> waitForWatched(pid_t pid, Clock::time_point deadline);

    // The window's pixels as the server holds them now, 32 bits a pixel (xRGB), row by
    // row; empty if they cannot be read.
    std::vector<std::uint32_t> grab(xcb_window_t window, int& width, int& height);
    xcb_window_t focus();
    void movePointer(int x, int y);
    // Whether a window manager says it runs on this screen.
    bool windowManagerRuns();

private:
    // What is known of a top-level window: its size, since when it is mapped, and which
    // of its pixels have been drawn since then.
    struct WindowState {
        int width = 0;
        int height = 0;
        bool mapped = false;
        bool trusted = true;   // its damage object was made while it was still unmapped
        std::vector<std::uint8_t> drawn;
        long drawnCount = 0;
        std::optional<Clock::time_point> complete;
        void resetDrawn();
    };

    template <class Done> bool pump(pid_t pid, Clock::time_point deadline, Done done);
    void handle(xcb_generic_event_t* event);
    void created(xcb_window_t window, int width, int height);
    void damaged(xcb_window_t window, const xcb_rectangle_t& area, Clock::time_point seen);
    pid_t ownerOf(xcb_window_t window);
    void loadKeyboardMapping();

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    int m_damageEvent = -1;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    std::string m_error;
    std::map<std::uint32_t, std::uint8_t> m_keycodes;
    std::map<xcb_window_t, WindowState> m_windows;
    std::vector<Mapped> m_maps;   // maps not yet looked at, oldest first
    Watch m_watch;
    pid_t m_pid = -1;             // the process whose CPU time a map is read with
};

} // namespace pellimor::test
