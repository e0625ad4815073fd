#!/usr/bin/python3
"""The real program on a headless Wayland compositor: the splash and then the converter window
appear on the compositor's output, a conversion works, and the window looks as it does on X11
apart from its decorations, which on Wayland the program draws itself.

A headless compositor has no keyboard, so the keys reach the program through a Qt input plugin
of this test (keyboard/PipeKeyboard.cpp), which hands them to Qt where a platform keyboard
would; everything is read back over the accessibility bus and from the compositor's screenshot.

Usage: wayland.py PROGRAM KEYBOARD_PLUGIN_DIR"""

import glob
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure  # noqa: E402
from steps import CONVERSIONS, conversion_steps  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1])
PLUGINS = sys.argv[2] if len(sys.argv) > 2 else ""
# Where the two screenshots and their difference are left for a person to look at.
SHOTS = os.path.join(os.getcwd(), "client-screenshots")
CONVERSION = CONVERSIONS[0]
# The share of the client area's pixels that may differ between the two platforms.
TOLERANCE = 0.002


def run_conversion(r, send):
    """From the splash to one finished conversion whose result flash is over."""
    r.wait(lambda: [w.name for w in r.windows()] == ["Pellimor"], "the splash", 20)
    r.press(send, "Return", "combo box", "(Select a category)")
    for key, role, name, _ in conversion_steps(CONVERSION, None):
        r.press(send, key, role, name)
    from reader import text_of
    window = r.windows()[0]
    result = r.find(window, "text", "Result")
    r.wait(lambda: text_of(result) == CONVERSION[-1], f'the line "{CONVERSION[-1]}"')
    time.sleep(1.2)   # the result flash lasts a second
    return window


def non_black_box(image):
    from PIL import Image, ImageChops
    return ImageChops.difference(image, Image.new("RGB", image.size)).getbbox()


def window_box(shot, width, height):
    """Where in the compositor's screenshot the window lies, decorations included: it is the
    one thing on the black desktop."""
    box = non_black_box(shot)
    if box is None:
        raise Failure("the compositor's screenshot is all black")
    left, top, right, bottom = box
    if right - left < width or bottom - top < height:
        raise Failure(f"the window on the compositor is {right - left}x{bottom - top}, "
                      f"smaller than its client area {width}x{height}")
    return left, top, right, bottom


def best_offset(shot, box, reference):
    """Where inside the decorated window its client area is: the place that best matches the
    same area seen on X11."""
    from PIL import ImageChops, ImageStat
    left, top, right, bottom = box
    width, height = reference.size
    best = None
    for y in range(top, bottom - height + 1):
        for x in range(left, right - width + 1):
            diff = ImageChops.difference(shot.crop((x, y, x + width, y + height)), reference)
            score = sum(ImageStat.Stat(diff).mean)
            if best is None or score < best[0]:
                best = (score, x, y)
    return best[1], best[2]


def differing_share(a, b):
    from PIL import ImageChops
    diff = ImageChops.difference(a, b).convert("L").point(lambda v: 255 if v > 40 else 0)
    return diff.histogram()[255] / (a.size[0] * a.size[1]), diff


def body(s):
    session.require("weston", "weston")
    session.require("weston-screenshooter", "weston")
    session.require("xdotool", "xdotool")
    session.require("import", "imagemagick")
    session.require_package("qt6-wayland")
    session.require_package("python3-pyatspi")
    session.require_package("python3-pil")
    if not glob.glob(os.path.join(PLUGINS, "generic", "*pipe_keyboard*")):
        session.skip("the test's keyboard plugin was not built: it needs Qt's private headers "
                     "(Debian package qt6-base-private-dev); make test installs it")
    from PIL import Image
    os.makedirs(SHOTS, exist_ok=True)

    s.start_weston()
    s.start_buses()
    import reader as R   # only now: the library finds the accessibility bus when it loads
    r = R.Reader()

    # ---- Wayland ----
    fifo = os.path.join(s.scratch, "keys")
    os.mkfifo(fifo)
    wayland = s.start_program([PROGRAM], "wayland", {
        "QT_PLUGIN_PATH": PLUGINS,
        "QT_QPA_GENERIC_PLUGINS": "pellimorpipekeyboard:" + fifo,
        # Qt's Wayland text input follows the compositor's keyboard, and there is none: it
        # would crash on the first focus change. Composing needs no compositor.
        "QT_IM_MODULE": "compose",
    })
    # Read and write: opening only to write would wait for a program that may never come.
    keys = os.open(fifo, os.O_RDWR)
    r.follow(wayland.pid, lambda: s.check_running(wayland))

    def screenshot(name):
        before = set(glob.glob(os.path.join(s.scratch, "wayland-screenshot-*.png")))
        subprocess.run(["weston-screenshooter"], env=s.env, cwd=s.scratch, check=True,
                       capture_output=True, timeout=20)
        made = set(glob.glob(os.path.join(s.scratch, "wayland-screenshot-*.png"))) - before
        if len(made) != 1:
            raise Failure(f"weston-screenshooter left {sorted(made)}")
        image = Image.open(made.pop()).convert("RGB")
        image.save(os.path.join(SHOTS, name))
        return image

    # The splash is on the compositor's output, at its own size: it has no frame.
    splash = r.wait(lambda: [w for w in r.windows() if w.name == "Pellimor"], "the splash", 20)[0]
    r.find(splash, "label", "Version 1.4.3")
    size = tuple(splash.queryComponent().getSize())
    shot = screenshot("wayland-splash.png")
    still_splash = [w.getRoleName() for w in r.windows()] == ["filler"]
    box = non_black_box(shot)
    shown = (box[2] - box[0], box[3] - box[1]) if box else None
    if still_splash and shown != size:
        raise Failure(f"the compositor shows {shown} where the {size[0]}x{size[1]} splash should be")
    print(f"Splash on the compositor: {shown} (reported {size})" if still_splash else
          "The splash handed over before its screenshot; it was seen over the accessibility bus only.")

    def send_wayland(key):
        s.check_running(wayland)
        os.write(keys, (f"type {key}" if len(key) == 1 else f"key {key}").encode() + b"\n")

    window = run_conversion(r, send_wayland)
    wayland_size = tuple(window.queryComponent().getSize())
    shot = screenshot("wayland.png")
    s.check_running(wayland)
    wayland.terminate()
    wayland.wait(10)

    # ---- X11, the same state ----
    s.start_xvfb()
    x11 = s.start_program([PROGRAM], "xcb")
    r.follow(x11.pid, lambda: s.check_running(x11))

    def send_x11(key):
        s.check_running(x11)
        typed = len(key) == 1
        subprocess.run(["xdotool", "type", "--delay", "0", key] if typed else ["xdotool", "key", key],
                       env=s.env, check=True)

    subprocess.run(["xdotool", "mousemove", "0", "0"], env=s.env, check=True)   # no hover
    window = run_conversion(r, send_x11)
    x, y, width, height = window.queryComponent().getExtents(0)   # screen coordinates on X11
    if (width, height) != wayland_size:
        raise Failure(f"the window is {width}x{height} on X11 but {wayland_size} on Wayland")
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "x11-screen.png")],
                   env=s.env, check=True, timeout=30)
    reference = Image.open(os.path.join(SHOTS, "x11-screen.png")).convert("RGB")
    reference = reference.crop((x, y, x + width, y + height))
    reference.save(os.path.join(SHOTS, "x11.png"))

    # ---- the two compared, decorations aside ----
    box = window_box(shot, width, height)
    left, top = best_offset(shot, box, reference)
    client = shot.crop((left, top, left + width, top + height))
    client.save(os.path.join(SHOTS, "wayland-client.png"))
    share, diff = differing_share(client, reference)
    diff.save(os.path.join(SHOTS, "difference.png"))
    print(f"Wayland window with its decorations: {box[2] - box[0]}x{box[3] - box[1]}, "
          f"client area {width}x{height} at +{left - box[0]}+{top - box[1]} inside it; "
          f"pixels that differ from X11: {share:.4%} (tolerance {TOLERANCE:.2%}). "
          f"Screenshots in {SHOTS}")
    if share > TOLERANCE:
        raise Failure(f"the window on Wayland differs from X11 in {share:.2%} of its pixels")


session.run("wayland", body)
