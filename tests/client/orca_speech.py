#!/usr/bin/python3
"""What a screen-reader user hears: the real program on a virtual X server with the screen
reader Orca itself listening on the accessibility bus, one whole conversion per category typed
at a person's pace, and after each key the words Orca speaks, read from its debug output, where
every utterance is a "SPEECH OUTPUT:" line. Orca speaks through speech-dispatcher, configured
here to speak into ALSA's null device, so no sound card is needed.

Checked step by step: the name of each field as the focus reaches it (the quantity box's name
before its text), the category and unit picked, the answer line once and in full right after
the To pick that wrote it, nothing when the line is emptied, and a refused request as its
message box.

Orca will not start while a process named orca runs for the same user, and the user's own
screen reader must be left alone: the test's Orca runs in a process namespace of its own,
where it sees no other; where none can be had and another Orca is running, the test is
skipped.

Usage: orca_speech.py PROGRAM"""

import json
import os
import pty
import re
import shutil
import subprocess
import sys
import threading
import time
import tty

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure, wait_for  # noqa: E402
from steps import CONVERSIONS, conversion_steps  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1])
KEY_GAP = 0.12      # seconds between two key events, as a person types
QUIET = 0.5         # Orca has finished with a key once its log is this long quiet
FLASH = 1.2         # the result flash is over after this long
# The words between quotes, then the voice Orca used, if it names one; the words may run
# over several lines.
UTTERANCE = "SPEECH OUTPUT: '"
UTTERANCE_END = re.compile(r"'\s?(\[?\{.*\}\]?)?$")


def other_orcas():
    """The processes Orca takes for a screen reader already running: those named orca with this
    process's effective user (it asks `pgrep -u UID -x orca`)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as comm:
                name = comm.read().strip()
            with open(f"/proc/{entry}/status") as status:
                uids = next(line for line in status if line.startswith("Uid:")).split()
        except (OSError, StopIteration):
            continue
        if name == "orca" and int(uids[2]) == os.geteuid():
            found.append(int(entry))
    return found


def own_process_namespace():
    """The words that start a program in a process namespace of its own, with a /proc that shows
    that namespace alone, and an empty reason; or None and the reason none can be had. The
    mounts are a copy of this process's and the network stays shared, so the buses' and
    speech-dispatcher's sockets, the X display and the debug terminal are all still in reach."""
    if os.geteuid() == 0:
        prefix = ["unshare", "--pid", "--fork", "--mount-proc"]
    else:
        # A user namespace where this user keeps its own id: mapped to root, it would tell the
        # buses a uid other than the one the kernel shows them, and they would refuse it.
        prefix = ["unshare", "--map-current-user", "--pid", "--fork", "--mount-proc"]
    # Ending the namespace's first process ends everything in it; ending unshare ends that.
    prefix.append("--kill-child")
    if not shutil.which("unshare"):
        return None, "unshare is not installed (Debian package util-linux)"
    probe = subprocess.run(prefix + ["true"], capture_output=True, text=True)
    if probe.returncode != 0:
        return None, probe.stderr.strip() or f"unshare ended with status {probe.returncode}"
    return prefix, ""


def orca_namespace():
    """What the test's Orca is started in: a namespace of its own, or none when none can be had
    and none is needed; skips the test when one is needed and none can be had."""
    namespace, why = own_process_namespace()
    if namespace is not None:
        return namespace
    others = other_orcas()
    if others:
        session.skip(f"another Orca runs for this user (process {', '.join(map(str, others))}), "
                     f"and no process namespace of its own can be had to start this test's "
                     f"beside it: {why}")
    return []


class Orca:
    """Orca with its settings in a scratch home, speaking through a speech-dispatcher of this
    test. Its debug file is a pseudo-terminal: Orca writes the file through Python's buffered
    files, which hold back whole blocks unless the file is a terminal, and a test must read
    every line as it comes."""

    def __init__(self, s, namespace):
        self.lines = []
        home = os.path.join(s.scratch, "home")
        speech_config = os.path.join(s.scratch, "speech-dispatcher")
        os.makedirs(os.path.join(home, ".local", "share", "orca"))
        os.makedirs(os.path.join(speech_config, "modules"))
        with open(os.path.join(speech_config, "speechd.conf"), "w") as conf:
            conf.write('AudioOutputMethod "alsa"\nAudioALSADevice "null"\n'
                       'AddModule "silent" "sd_generic" "silent.conf"\nDefaultModule silent\n')
        with open(os.path.join(speech_config, "modules", "silent.conf"), "w") as conf:
            conf.write('GenericExecuteSynth "true"\nAddVoice "en" "male1" "silent"\n'
                       'DefaultVoice "silent"\nGenericLanguage "en" "en" "utf-8"\n')
        # Orca's defaults, but no braille display to look for.
        with open(os.path.join(home, ".local", "share", "orca", "user-settings.conf"), "w") as conf:
            json.dump({"general": {"enableBraille": False, "enableSpeech": True},
                       "profiles": {"default": {"profile": ["Default", "default"],
                                                "enableBraille": False}},
                       "pronunciations": {}, "keybindings": {}}, conf)
        env = dict(s.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"), GSETTINGS_BACKEND="memory")
        speech = s.start("speech-dispatcher", ["speech-dispatcher", "--run-single", "--timeout", "0",
                                               "--config-dir", speech_config], env=env)
        socket = os.path.join(s.runtime, "speech-dispatcher", "speechd.sock")
        wait_for(lambda: s.check_running(speech) or os.path.exists(socket), 20,
                 "speech-dispatcher's socket")
        master, slave = pty.openpty()
        tty.setraw(slave)
        self.log = open(s.log("orca debug"), "w")
        threading.Thread(target=self._read, args=(master,), daemon=True).start()
        # The slave end stays open here: a terminal with no one holding its slave end would
        # end the reading before Orca opens it.
        self.slave = slave
        self.process = s.start("orca", namespace + ["orca", "--debug-file", os.ttyname(slave)], env=env)
        self.alive = lambda: s.check_running(self.process)
        try:
            wait_for(lambda: self.alive() or any("Starting ATSPI registry" in line for line in self.lines),
                     30, "Orca listening")
        except Failure:
            # Outside a namespace, another Orca may have been started since the look before.
            if not namespace and [pid for pid in other_orcas() if pid != self.process.pid]:
                session.skip("another Orca was started for this user beside this test's, and no "
                             "process namespace of its own can be had")
            raise

    def _read(self, master):
        pending = b""
        while True:
            try:
                data = os.read(master, 65536)
            except OSError:
                return
            if not data:
                return
            pending += data
            *complete, pending = pending.split(b"\n")
            for line in complete:
                text = line.decode(errors="replace")
                self.log.write(text + "\n")
                self.lines.append(text)
            self.log.flush()

    def mark(self):
        return len(self.lines)

    def settle(self, limit=8.0):
        """Waits until Orca's log has been quiet for a while."""
        end = time.monotonic() + limit
        while time.monotonic() < end:
            count = len(self.lines)
            time.sleep(QUIET)
            self.alive()
            if len(self.lines) == count:
                return

    def said(self, since):
        """What Orca spoke since the mark `since`, one utterance an entry."""
        spoken, words = [], None
        for line in self.lines[since:]:
            if words is None and UTTERANCE in line:
                words, line = "", line.split(UTTERANCE, 1)[1]
            if words is None:
                continue
            end = UTTERANCE_END.search(line)
            words += line[:end.start()] if end else line + "\n"
            if end:
                spoken.append(words)
                words = None
        return spoken


def body(s):
    session.require("xdotool", "xdotool")
    session.require("orca", "orca")
    session.require("speech-dispatcher", "speech-dispatcher")
    namespace = orca_namespace()
    s.start_xvfb()
    s.start_buses()
    orca = Orca(s, namespace)
    heard = []   # what the user heard, key by key, printed at the end

    def key_events(key):
        """A key as a person presses it: a chord's keys go down one by one and come up in
        reverse, each event apart from the next (xdotool's own spacing can let Alt go up
        before Down arrives, which opens the menu bar)."""
        keys = key.split("+")
        events = [("keydown", k) for k in keys] + [("keyup", k) for k in reversed(keys)]
        for i, (kind, name) in enumerate(events):
            if i:
                time.sleep(KEY_GAP)
            subprocess.run(["xdotool", kind, name], env=s.env, check=True)

    def press(key, label=None):
        s.check_running(program)
        since = orca.mark()
        key_events(key)
        orca.settle()
        said = orca.said(since)
        heard.append(f"{label or key:>10}: " + " | ".join(said))
        return said

    def expect(said, words, after, why):
        """`words` is spoken in one utterance, after the utterance holding `after` if given."""
        start = 0
        if after is not None:
            start = next((i + 1 for i, u in enumerate(said) if after in u), None)
            if start is None:
                raise Failure(f'{why}: Orca did not say "{after}"; it said {said}')
        if not any(words in u for u in said[start:]):
            raise Failure(f'{why}: Orca did not say "{words}"'
                          + (f' after "{after}"' if after else "") + f"; it said {said}")

    program = s.start_program([PROGRAM], "xcb")
    # The splash takes the focus; its window is spoken by name.
    wait_for(lambda: s.check_running(program) or any("Pellimor" in u for u in orca.said(0)),
             30, "Orca speaking of the splash")
    orca.settle()
    said = press("Return")
    expect(said, "combo box", "Category", "handing over to the converter window")

    line = ""
    for number, conversion in enumerate(CONVERSIONS):
        target, *_, new_line = conversion
        heard.append(f"-- {target}")
        steps = conversion_steps(conversion, None if number == 0 else CONVERSIONS[number - 1][0])
        for index, (key, role, name, where) in enumerate(steps):
            # The category list opens with F4 or Alt+Down, as a person may do either.
            if key == "F4" and number % 2:
                key = "alt+Down"
            said = press(key)
            last = index == len(steps) - 1
            if role == "list" and where is None:
                expect(said, name, None, f"{key} into the {name} list")
                if key == "alt+Down" and any("menu" in u.lower() for u in said):
                    raise Failure(f"Alt+Down reached the menu bar: Orca said {said}")
            elif role == "list item":
                expect(said, name, None, f"{key} in the {where} list")
            elif key == "Return":
                # The pick moves the focus: the field's name first, then its text.
                expect(said, "(Enter a value", "Quantity", f"picking {target}")
                if line and any(line in u for u in said):
                    raise Failure(f"emptying the line spoke it: {said}")
            if where == "To..." and last:
                # The pick that converts: the unit, then the answer, once and in full; the
                # focus stays in the list.
                expect(said, new_line, name, f"converting {target}")
                time.sleep(FLASH)
                orca.settle()
        spoken = [u for u in orca.said(0) if new_line in u]
        if len(spoken) != 1:
            raise Failure(f'"{new_line}" was spoken {len(spoken)} times: {spoken}')
        line = new_line
        if conversion is not CONVERSIONS[-1]:
            said = press("Tab")
            expect(said, "Result", None, "Tab to the result box")
            said = press("Tab")
            expect(said, "combo box", None, "Tab back to the category box")

    # A refused request: the quantity becomes letters, which empties the line without a
    # word of it, and the next To pick is answered by the message box alone. (Two letters:
    # Orca reads a focused line edit's text from Qt without its last character.)
    heard.append("-- a refused request")
    said = press("shift+Tab")
    expect(said, "Convert From...", None, "Shift+Tab into the From list")
    said = press("shift+Tab")
    expect(said, "Quantity", None, "Shift+Tab into the quantity box")
    said = press("x") + press("y")
    if any(line in u for u in said) or any("notification" in u for u in said):
        raise Failure(f"emptying the line was spoken: {said}")
    said = press("Tab")
    expect(said, "Convert From...", None, "Tab into the From list")
    said = press("Tab")
    expect(said, "To...", None, "Tab into the To list")
    since = orca.mark()
    said = press("Up")
    expect(said, "You entered an invalid value.", "Invalid Value", "the refused request")
    if any("notification" in u for u in said):
        raise Failure(f"a refused request gave a notification: {said}")
    said = press("Return")
    # Back in the quantity box, its text selected for a new value: the field's name first,
    # then the text, and not the text alone before the name.
    named = next((i for i, u in enumerate(said) if "Quantity" in u), None)
    text = [i for i, u in enumerate(said) if u.strip().startswith("x")]
    if named is None or not text or text[0] < named or "selected" not in " ".join(said[text[0]:]):
        raise Failure(f'closing the message box: Orca did not say "Quantity" and then the '
                      f'text "xy" selected; it said {said}')
    if any("notification" in u for u in orca.said(since)):
        raise Failure("a notification came after the refusal")

    print("What Orca said, key by key:")
    print("\n".join(heard))
    s.check_running(program)


session.run("orca-speech", body)
