#!/usr/bin/python3
"""Pellimor keeps nothing between runs and runs one thread of its own: a whole session of the
real program (the splash, the hand-over, a conversion typed by keys) on a virtual X server
with the buses a desktop has, traced with strace, creates, writes, renames or removes no
file anywhere; and while it runs, the one thread with the program's own name is its main
thread (the toolkit's threads have names of their own).

Usage: no_files.py PROGRAM"""

import os
import re
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure  # noqa: E402
from steps import CONVERSIONS, conversion_steps  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1])
CHANGES = ("creat", "mkdir", "mkdirat", "rename", "renameat", "renameat2", "unlink", "unlinkat",
           "link", "linkat", "symlink", "symlinkat", "truncate", "utimensat", "chmod", "fchmodat")
OPENS = ("open", "openat", "openat2")
# Devices and the kernel's own files are not the program's data.
NOT_FILES = ("/dev/", "/proc/", "/sys/")


def changes(trace):
    """Each call of the trace that created or changed a file, as strace wrote it."""
    found = []
    with open(trace, errors="replace") as lines:
        for line in lines:
            call = re.match(r"(?:\d+\s+)?(\w+)\((.*)", line)
            if not call or call.group(1) not in CHANGES + OPENS:
                continue
            path = re.search(r'"([^"]*)"', call.group(2))
            if path and path.group(1).startswith(NOT_FILES):
                continue
            if call.group(1) in OPENS and not re.search(r"O_(WRONLY|RDWR|CREAT|TRUNC|APPEND)", call.group(2)):
                continue
            # A refused call changed nothing (the runtime folder is made sure of, for one).
            if re.search(r"\) += -1 ", line):
                continue
            found.append(line.strip())
    return found


def parent(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return int(stat.read().rsplit(")", 1)[1].split()[1])
    except (OSError, IndexError, ValueError):
        return None


def body(s):
    session.require("xdotool", "xdotool")
    session.require("strace", "strace")
    session.require_package("python3-pyatspi")
    s.start_xvfb()
    s.start_buses()
    import reader as R   # only now: the library finds the accessibility bus when it loads
    r = R.Reader()
    trace = os.path.join(s.scratch, "calls.strace")
    calls = ",".join(CHANGES + OPENS)
    # Only the calls asked for stop the program (a filter in the kernel), or it would start
    # many times slower than it does.
    tracer = s.start_program(["strace", "-f", "--seccomp-bpf", "-qq", "-e", f"trace={calls}", "-e", "signal=none",
                              "-o", trace, PROGRAM], "xcb")

    def send(key):
        s.check_running(tracer)
        argv = ["xdotool", "type", "--delay", "0", key] if len(key) == 1 else ["xdotool", "key", key]
        subprocess.run(argv, env=s.env, check=True)

    # The program is strace's child; its threads are named after it unless they name themselves.
    program = session.wait_for(lambda: s.check_running(tracer) or next(
        (int(pid) for pid in os.listdir("/proc") if pid.isdigit() and parent(int(pid)) == tracer.pid), None),
        20, "the program under strace")
    # Traced, on a loaded machine, it comes up more slowly than the reader's other programs.
    r.follow(program, lambda: s.check_running(tracer), timeout=90)
    r.wait(lambda: r.windows(), "the splash", 60)
    r.press(send, "Return", "combo box", "(Select a category)")
    conversion = CONVERSIONS[0]
    for key, role, name, _ in conversion_steps(conversion, None):
        r.press(send, key, role, name)
    result = r.find(r.windows()[0], "text", "Result")
    r.wait(lambda: R.text_of(result) == conversion[-1], f'the line "{conversion[-1]}"')

    tasks = f"/proc/{program}/task"
    names = {}
    for task in os.listdir(tasks):
        with open(f"{tasks}/{task}/comm") as comm:
            names[int(task)] = comm.read().strip()
    own = [task for task, name in names.items() if name == names[program]]
    print("threads:", ", ".join(f"{task} {name}" for task, name in sorted(names.items())), flush=True)
    failures = []
    if own != [program]:
        failures.append(f"threads of the program's own beside its main thread: {sorted(names.items())}")

    os.kill(program, signal.SIGTERM)
    tracer.wait(20)
    written = changes(trace)
    if written:
        failures.append("the program created or changed files:\n  " + "\n  ".join(written[:20]))
    if failures:
        raise Failure("\n".join(failures))
    print("no file created, written, renamed or removed in the whole session", flush=True)


session.run("no-files", body)
