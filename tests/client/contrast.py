#!/usr/bin/python3
"""Every text readable on a light, a dark and a high-contrast desktop: the real program on a
virtual X server, coloured by Debian's qt6ct platform theme as many desktops colour Qt programs
(its "darker" scheme, and a scheme of black window and fields, white text and a yellow
selection), and by Qt's own light palette. Each run shows the splash, does one conversion and
opens About; each text is found where the accessibility bus places it, and the contrast of its
ink against the background it is drawn on is measured in a screenshot (WCAG 2 relative
luminance). Below 4.5:1 fails. Under the light palette the three windows must also be, pixel
for pixel, what they were before dark desktops were looked after (reference/*.png).

Usage: contrast.py PROGRAM REFERENCE_DIR
PELLIMOR_WRITE_REFERENCES=1 writes the light run's windows as the references instead."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure  # noqa: E402
from steps import CONVERSIONS, conversion_steps  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1])
REFERENCES = os.path.abspath(sys.argv[2])
HERE = os.path.dirname(os.path.abspath(__file__))
SHOTS = os.path.join(os.getcwd(), "client-screenshots")
CONVERSION = CONVERSIONS[0]
LEAST = 4.5

# (name, qt6ct colour scheme): no platform theme is Qt's own light palette. (The GTK platform
# theme with a dark GTK theme gives a dark palette too, but with the accessibility bus up it
# can stall the program's start on this Qt, so it is looked at by hand, not here.)
PALETTES = [("light", None),
            ("darker", "/usr/share/qt6ct/colors/darker.conf"),
            ("high-contrast", os.path.join(HERE, "high-contrast.conf"))]

# The splash's four vegetables blink as time goes by; where they stand is left out of the
# comparison (window coordinates: the panel starts 8 pixels in).
SPLASH_VEGETABLES = (8 + 24, 176, 8 + 192 + 32, 176 + 32)


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def ink_and_background(region):
    """The background is the region's commonest colour, the ink the pixel that contrasts most
    with it: small text on a shaded button has few pixels of its full colour. A region with
    nothing but its background has no visible ink: 1:1."""
    colours = region.getcolors(region.size[0] * region.size[1])
    background = max(colours)[1]
    ink = max((c for _, c in colours), key=lambda c: contrast(c, background))
    return ink, background


def text_box(node):
    """Where a node's text is drawn, its border left out: a frame's caption in the frame's
    top band, from its left edge; a field's text inside its frame (the character extents a
    field reports lie beside its text, without the frame's margins)."""
    x, y, w, h = node.queryComponent().getExtents(0)
    if node.getRoleName() == "panel":
        return x + 2, y, min(w - 4, 8 * len(node.name.strip())), 14
    inset = 3 if node.getRoleName() == "text" else 1
    return x + inset, y + inset, w - 2 * inset, h - 2 * inset


def texts(R, window):
    """(what, node) for every text a person sees in the window; selected list entries are
    drawn in the theme's own selection colours, and are the theme's business."""
    found = []
    for node, _ in R.walk(window):
        st = R.states(node)
        role = node.getRoleName()
        # A combo box is read by its text; its closed list still claims to be showing.
        if "showing" not in st or (role != "text" and node.parent.getRoleName() == "combo box") \
                or (role == "list item" and node.parent.parent.getRoleName() == "combo box"):
            continue
        if role == "list item" and "selected" in st:
            continue
        if role == "link" and node.name == "Pellimor":
            continue   # the logo: a picture, not a text
        if role in ("label", "link", "list item", "push button", "menu item", "panel"):
            if node.name.strip():
                found.append((f'{role} "{node.name.strip()}"', node))
        elif role == "text" and node.parent.getRoleName() != "combo box" and R.text_of(node):
            found.append((f'{role} "{node.name}": "{R.text_of(node)}"', node))
        elif role == "combo box":
            inner = [c for c in node if c is not None and c.getRoleName() == "text"]
            found.append((f'{role} "{node.name}"', inner[0] if inner else node))
    return found


def screenshot(s, name):
    from PIL import Image
    path = os.path.join(SHOTS, name + ".png")
    subprocess.run(["import", "-window", "root", path], env=s.env, check=True)
    return Image.open(path).convert("RGB")


def steady_screenshot(s, name, window, masked=None, timeout=30):
    """A screenshot once the window has stopped changing (the masked part apart): three in a
    row alike. However long a loaded machine takes to paint it, what is measured is the
    window as it stays."""
    from PIL import ImageChops, ImageDraw
    x, y, w, h = window.queryComponent().getExtents(0)
    deadline, alike, last = time.monotonic() + timeout, 0, None
    while True:
        shot = screenshot(s, name)
        image = shot.crop((x, y, x + w, y + h))
        if masked:
            ImageDraw.Draw(image).rectangle((masked[0], masked[1], masked[2] - 1, masked[3] - 1), fill=(0, 0, 0))
        alike = alike + 1 if last is not None and ImageChops.difference(image, last).getbbox() is None else 0
        if alike == 2:
            return shot
        if time.monotonic() > deadline:
            raise Failure(f"{name}: the window kept changing for {timeout} s")
        last = image
        time.sleep(0.2)


def measure(R, shot, window, where, palette, table):
    """Measures every text of the window; returns the ones below the least contrast."""
    low = []
    for what, node in texts(R, window):
        x, y, w, h = text_box(node)
        if w <= 0 or h <= 0:
            raise Failure(f"{palette}, {where}: {what} has no place on the screen ({x}, {y}, {w}, {h})")
        ink, background = ink_and_background(shot.crop((x, y, x + w, y + h)))
        ratio = contrast(ink, background)
        table.append((palette, where, what, "#%02x%02x%02x" % ink, "#%02x%02x%02x" % background, ratio))
        if ratio < LEAST:
            low.append(f"{what} {ratio:.2f}:1")
    return low


def window_image(shot, window, name, palette):
    from PIL import Image
    x, y, w, h = window.queryComponent().getExtents(0)
    image = shot.crop((x, y, x + w, y + h))
    image.save(os.path.join(SHOTS, f"contrast-{palette}-{name}.png"))
    return image


def compare_with_reference(image, name, masked=None):
    """The differences from the reference picture, as a sentence; empty when there are none."""
    from PIL import Image, ImageChops, ImageDraw
    path = os.path.join(REFERENCES, name + ".png")
    if os.environ.get("PELLIMOR_WRITE_REFERENCES"):
        image.save(path, optimize=True)
        return ""
    reference = Image.open(path).convert("RGB")
    if reference.size != image.size:
        return f"{name} is {image.size[0]}x{image.size[1]}, its reference {reference.size[0]}x{reference.size[1]}"
    diff = ImageChops.difference(image, reference)
    if masked:
        ImageDraw.Draw(diff).rectangle((masked[0], masked[1], masked[2] - 1, masked[3] - 1), fill=(0, 0, 0))
    box = diff.getbbox()
    if box is None:
        return ""
    diff.point(lambda v: 255 if v else 0).save(os.path.join(SHOTS, f"contrast-{name}-difference.png"))
    changed = sum(1 for p in diff.getdata() if p != (0, 0, 0))
    return f"{name} differs from its reference in {changed} pixels within {box}"


def qt6ct_config(s, palette, scheme):
    """A scratch configuration folder in which qt6ct colours with the given scheme."""
    home = os.path.join(s.scratch, "config-" + palette)
    os.makedirs(os.path.join(home, "qt6ct"))
    with open(os.path.join(home, "qt6ct", "qt6ct.conf"), "w") as conf:
        conf.write(f"[Appearance]\ncolor_scheme_path={scheme}\ncustom_palette=true\nstyle=Fusion\n"
                   "standard_dialogs=default\nicon_theme=\n")
    return home


def run_palette(s, R, r, palette, scheme, table):
    env = {"XDG_CONFIG_HOME": os.path.join(s.scratch, "config-" + palette)}
    if scheme:
        env.update(QT_QPA_PLATFORMTHEME="qt6ct", XDG_CONFIG_HOME=qt6ct_config(s, palette, scheme))
    program = s.start_program([PROGRAM], "xcb", env)
    r.follow(program.pid, lambda: s.check_running(program))
    failures = []

    def send(key):
        s.check_running(program)
        subprocess.run(["xdotool", "type", "--delay", "0", key] if len(key) == 1
                       else ["xdotool", "key", key], env=s.env, check=True)

    # The splash, painted, well before it hands over.
    splash = r.wait(lambda: r.windows(), "the splash", 20)[0]
    r.find(splash, "label", "Version 1.4.3")
    shot = steady_screenshot(s, f"contrast-{palette}-splash-screen", splash, SPLASH_VEGETABLES)
    low = measure(R, shot, splash, "splash", palette, table)
    image = window_image(shot, splash, "splash", palette)

    r.press(send, "Return", "combo box", "(Select a category)")
    for key, role, name, _ in conversion_steps(CONVERSION, None):
        r.press(send, key, role, name)
    window = r.windows()[0]
    result = r.find(window, "text", "Result")
    r.wait(lambda: R.text_of(result) == CONVERSION[-1], f'the line "{CONVERSION[-1]}"')
    time.sleep(1.3)   # the result flash lasts a second; its blinks could pass for a steady window
    shot = steady_screenshot(s, f"contrast-{palette}-converter-screen", window)
    low += measure(R, shot, window, "converter window", palette, table)
    converter = window_image(shot, window, "converter", palette)

    # Help, About, pressed as a screen reader presses it.
    item = r.find(window, "menu item", "About...")
    item.queryAction().doAction(0)
    about = r.wait(lambda: [w for w in r.windows() if w.name == "About Pellimor"], "the About window")[0]
    r.wait(lambda: "active" in R.states(about), "the About window active")
    r.settle()
    shot = steady_screenshot(s, f"contrast-{palette}-about-screen", about)
    low += measure(R, shot, about, "About", palette, table)
    about_image = window_image(shot, about, "about", palette)

    if low:
        failures.append(f"under the {palette} palette, below {LEAST}:1: " + "; ".join(low))
    if palette == "light":
        for name, picture, masked in (("splash", image, SPLASH_VEGETABLES),
                                      ("converter", converter, None), ("about", about_image, None)):
            difference = compare_with_reference(picture, name, masked)
            if difference:
                failures.append("under the light palette " + difference)
    program.terminate()
    program.wait(10)
    return failures


def body(s):
    session.require("xdotool", "xdotool")
    session.require("import", "imagemagick")
    session.require_package("python3-pil")
    session.require_package("qt6ct")
    os.makedirs(SHOTS, exist_ok=True)
    for name in ("QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "GTK_THEME"):
        s.env.pop(name, None)
    s.start_xvfb()
    s.start_buses()
    import reader as R   # only now: the library finds the accessibility bus when it loads
    r = R.Reader()
    table, failures = [], []
    for palette, scheme in PALETTES:
        failures += run_palette(s, R, r, palette, scheme, table)
    print(f"{'palette':14} {'window':17} {'ink':8} {'ground':8} {'ratio':>6}  text")
    for palette, where, what, ink, background, ratio in table:
        print(f"{palette:14} {where:17} {ink:8} {background:8} {ratio:6.2f}  {what}")
    if failures:
        raise Failure("\n".join(failures))


session.run("contrast", body)
