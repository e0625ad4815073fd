"""What a client test runs against: a virtual X server or a headless Wayland compositor, a
private session bus, the accessibility bus and the program itself. Every process is started
here, recorded by its id, and ended by that id when the test ends, together with whatever it
started in turn (the accessibility bus launcher starts a bus of its own and that bus starts the
registry), so nothing outlives the test and no other desktop on the machine is touched.
A failing test prints the end of each process's output; PELLIMOR_KEEP_SCRATCH=1 keeps its
scratch folder with the whole logs.

Run as a program, it is the one way every other test, bench and script gets a display:
    session.py [--session-bus | --buses] [--window-manager] [--screen WxHxD] -- COMMAND ARG...
runs the command on a virtual X server of its own (with a private session bus, or that bus
and the accessibility bus; under a window manager if asked), ends all of it afterwards and
exits with the command's status."""

import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
DEADLINE = 200   # seconds; the test runner allows 300


class Failure(Exception):
    pass


def skip(message):
    print("SKIP: " + message, flush=True)
    sys.exit(SKIP)


def require(program, package):
    if not shutil.which(program):
        skip(f"{program} is not installed (Debian package {package}); make test installs it")


def require_package(package):
    """For what a test needs of a package that no program on the path shows."""
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package],
                            capture_output=True, text=True).stdout if shutil.which("dpkg-query") else ""
    if status != "install ok installed":
        skip(f"Debian package {package} is not installed; make test installs it")


def wait_for(condition, timeout, what, step=0.05, idle=None):
    """Polls condition until it gives something true; idle(step) runs between polls."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {timeout} s")
        (idle or time.sleep)(step)


def _parent_ids():
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    # The name may hold blanks and brackets; the fields after it do not.
                    fields = stat.read().rsplit(")", 1)[1].split()
                parents[int(entry)] = int(fields[1])
            except (OSError, IndexError, ValueError):
                pass
    return parents


def _descendants(roots):
    parents = _parent_ids()
    found, todo = [], list(roots)
    while todo:
        pid = todo.pop()
        for child, parent in parents.items():
            if parent == pid and child not in found:
                found.append(child)
                todo.append(child)
    return found


def _alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class Session:
    """A scratch folder, the processes started in it and their environment."""

    def __init__(self, name):
        self.name = name
        self.scratch = tempfile.mkdtemp(prefix=f"pellimor-{name}-")
        self.runtime = os.path.join(self.scratch, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.started = []   # (what, Popen), in start order
        # Nothing of the desktop this test may run inside reaches the program.
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                                 "AT_SPI_BUS_ADDRESS", "XAUTHORITY", "QT_QPA_PLATFORM",
                                 "QT_ACCESSIBILITY", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                                 "QT_QPA_GENERIC_PLUGINS", "QT_PLUGIN_PATH", "SESSION_MANAGER")}
        # Caches of its own: what the toolkit or the font library keeps stays out of the home
        # folder, and every session starts as a first start would.
        self.env.update(XDG_RUNTIME_DIR=self.runtime, XDG_CACHE_HOME=os.path.join(self.scratch, "cache"),
                        LC_ALL="C.UTF-8")

    def log(self, what):
        return os.path.join(self.scratch, what.replace(" ", "-") + ".log")

    def start(self, what, argv, env=None, **popen):
        popen.setdefault("stdout", open(self.log(what), "ab"))
        popen.setdefault("stderr", subprocess.STDOUT)
        popen.setdefault("cwd", self.scratch)
        process = subprocess.Popen(argv, env=env or self.env, **popen)
        self.started.append((what, process))
        return process

    def check_running(self, process):
        if process.poll() is not None:
            what = next(w for w, p in self.started if p is process)
            raise Failure(f"{what} ended with status {process.returncode}:\n{self.tail(what)}")

    def tail(self, what, lines=30):
        try:
            with open(self.log(what), errors="replace") as log:
                return "".join(log.readlines()[-lines:])
        except OSError:
            return ""

    # ---- the display, the buses and the program ----

    def start_xvfb(self, size="1280x1024x24"):
        """A virtual X server on a display number no one else uses."""
        require("Xvfb", "xvfb")
        read, write = os.pipe()
        server = self.start("Xvfb", ["Xvfb", "-displayfd", str(write), "-screen", "0", size,
                                     "-nolisten", "tcp", "-noreset"], pass_fds=(write,))
        os.close(write)
        # The server writes the number and the line end separately, and ends itself if
        # the second write fails: read the whole line before closing.
        number, deadline = b"", time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read, 32) if ready else b""
            if not chunk:
                break
            number += chunk
        os.close(read)
        number = number.decode().strip()
        if not number:
            self.check_running(server)
            raise Failure("Xvfb gave no display number within 20 s")
        self.env["DISPLAY"] = ":" + number
        return self.env["DISPLAY"]

    def start_window_manager(self):
        """Openbox on the X server started before, managing every window mapped after this
        returns: it has said so on the root window."""
        require("openbox", "openbox")
        require("xprop", "x11-utils")
        manager = self.start("window manager", ["openbox", "--sm-disable"])
        wait_for(lambda: self.check_running(manager) or "window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True,
            text=True).stdout, 20, "openbox taking the screen")

    def start_weston(self, width=1280, height=1024):
        """A headless Wayland compositor that draws with pixman and lets screenshots be taken."""
        require("weston", "weston")
        socket = f"pellimor-{os.getpid()}"
        config = os.path.join(self.scratch, "weston.ini")
        with open(config, "w") as ini:
            # A plain black desktop and no panel: what is not black is the program.
            ini.write("[core]\nidle-time=0\n[shell]\nbackground-color=0xff000000\n"
                      "panel-position=none\nlocking=false\nanimation=none\n"
                      "startup-animation=none\nclose-animation=none\nfocus-animation=none\n")
        compositor = self.start("weston", ["weston", "--backend=headless-backend.so", "--use-pixman",
                                           "--debug", f"--socket={socket}", f"--config={config}",
                                           f"--width={width}", f"--height={height}"])
        path = os.path.join(self.runtime, socket)
        wait_for(lambda: self.check_running(compositor) or os.path.exists(path), 20,
                 "weston's socket")
        self.env["WAYLAND_DISPLAY"] = socket
        return socket

    def start_session_bus(self):
        """A private session bus, as every desktop has; without one Qt would try to start one."""
        require("dbus-daemon", "dbus-daemon")
        bus = self.start("session bus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                         f"--address=unix:dir={self.runtime}", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=open(self.log("session bus"), "ab"))
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        address = bus.stdout.readline().decode().strip() if ready else ""
        if not address:
            self.check_running(bus)
            raise Failure("the session bus gave no address within 20 s")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        return address

    def start_buses(self):
        """A private session bus and, on it, the accessibility bus with its registry."""
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.access(launcher, os.X_OK):
            skip(f"{launcher} is not installed (Debian package at-spi2-core); make test installs it")
        address = self.start_session_bus()
        at_spi = self.start("accessibility bus", [launcher, "--launch-immediately"])
        # The launcher owns org.a11y.Bus once its bus is up; asking earlier would have the
        # session bus start a second launcher.
        wait_for(lambda: self.check_running(at_spi) or subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
            env=self.env, capture_output=True, text=True).stdout.strip().endswith("true"),
            20, "the accessibility bus")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address   # for this process's own AT-SPI client
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        return address

    def start_program(self, argv, platform, extra_env=None):
        env = dict(self.env, QT_QPA_PLATFORM=platform, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.update(extra_env or {})
        return self.start("pellimor", argv, env=env)

    # ---- the end ----

    def stop(self):
        """Ends every process started here and each process they started, by id. Returns the
        ids of any that are still alive afterwards."""
        roots = [p.pid for _, p in self.started]
        # Collected before anything ends: an orphan no longer points at its parent.
        family = _descendants(roots)
        # From the last started back to the first, so the program goes before its buses and
        # display; then whatever they started, the youngest first.
        order = [p.pid for _, p in reversed(self.started)]
        for pid in order + family[::-1]:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 5
        for _, process in self.started:
            try:
                process.wait(max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                pass
        def all_ended():
            return not [pid for pid in family if _alive(pid)]
        try:
            wait_for(all_ended, max(0.1, deadline - time.monotonic()), "the end")
        except Failure:
            pass
        for pid in family + roots:
            if _alive(pid):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        for _, process in self.started:
            try:
                process.wait(2)
            except subprocess.TimeoutExpired:
                pass
        time.sleep(0.1)
        _reap()
        return [pid for pid in family + roots + _descendants([os.getpid()]) if _alive(pid)]


def _adopt_orphans():
    """Makes this process the one that inherits the orphans of whatever it starts, so that a
    daemon's children stay in reach (and get reaped) when the daemon ends first."""
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def _reap():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def run(name, body, deadline=DEADLINE):
    """Runs body(session) and ends every process it started, whatever happens; the test fails
    when a process is left behind. No deadline when it is None."""
    _adopt_orphans()
    session = Session(name)

    def on_signal(number, _frame):
        raise SystemExit(128 + number)

    def on_alarm(_number, _frame):
        raise Failure(f"the test took longer than {deadline} s")

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    # Well within the test runner's own limit, so that the processes still get ended here.
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(deadline or 0)
    status = 1
    try:
        body(session)
        status = 0
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr, flush=True)
    except SystemExit as leaving:
        status = leaving.code if isinstance(leaving.code, int) else 1
    except Exception:
        traceback.print_exc()
    finally:
        signal.alarm(0)
        started = ", ".join(f"{what} {p.pid}" for what, p in session.started)
        if status not in (0, SKIP):
            for what, _ in session.started:
                if session.tail(what, 12).strip():
                    print(f"--- the end of {what}'s output:\n{session.tail(what, 12)}", file=sys.stderr)
        left = session.stop()
        if left:
            print(f"FAIL: still running after the test: {left}", file=sys.stderr, flush=True)
            status = 1
        elif started:
            print(f"Ended {started} and everything they started.", flush=True)
        if status == 0 or os.environ.get("PELLIMOR_KEEP_SCRATCH") is None:
            shutil.rmtree(session.scratch, ignore_errors=True)
        else:
            print(f"Logs kept in {session.scratch}", flush=True)
    sys.exit(status)


def main(arguments):
    import argparse
    parser = argparse.ArgumentParser(description="Runs a command on a virtual X server of its own.")
    buses = parser.add_mutually_exclusive_group()
    buses.add_argument("--session-bus", action="store_true", help="with a private session bus")
    buses.add_argument("--buses", action="store_true",
                       help="with a private session bus and the accessibility bus on it")
    parser.add_argument("--window-manager", action="store_true", help="under openbox")
    parser.add_argument("--screen", default="1280x1024x24", help="the screen's size and depth")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args(arguments)
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no command given")

    def body(s):
        s.start_xvfb(options.screen)
        if options.window_manager:
            s.start_window_manager()
        if options.buses:
            s.start_buses()
        elif options.session_bus:
            s.start_session_bus()
        # The caller's environment, with this display and these buses instead of any other.
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                            "AT_SPI_BUS_ADDRESS", "XAUTHORITY")}
        env.update({k: s.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")
                    if k in s.env})
        command_status = s.start("command", command, env=env, stdout=None, stderr=None,
                                 cwd=os.getcwd()).wait()
        if command_status < 0:   # ended by a signal, told as a shell tells it
            command_status = 128 - command_status
        if command_status != 0:
            raise SystemExit(command_status)

    # Benches and valgrind take as long as they take.
    run("display", body, deadline=None)


if __name__ == "__main__":
    main(sys.argv[1:])
