#!/usr/bin/python3
"""A keyboard-only user with a screen reader: the real program on a virtual X server with the
accessibility bus, one whole conversion per category typed through the X server, and every
step read back over AT-SPI only, as a screen reader reads it.

Usage: screen_reader.py PROGRAM"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
from session import Failure  # noqa: E402
from steps import CONVERSIONS, UNITS, conversion_steps  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1])


def tree_check(R, window, when, guide=False):
    """Every control a person can reach or press has something to be called by, and no
    picture is shown to a reader without a name (a decoration is not shown to it at all).
    In the converter window (guide=True) every picture is the guide's, a decoration, so none
    may be shown to a reader, even under a name borrowed from its frame."""
    # A window is spoken of by its name when it becomes active, whatever its role.
    if not window.name.strip():
        raise Failure(f"{when}: the window has no name")
    for node, depth in R.walk(window):
        st = R.states(node)
        if "showing" not in st or depth == 0:
            continue
        role = node.getRoleName()
        try:
            action = node.queryAction()
            actions = [action.getName(i) for i in range(action.nActions)]
        except NotImplementedError:
            actions = []
        # The parts of a combo box are spoken of as the combo box.
        inside_combo = node.parent.getRoleName() == "combo box"
        if ("focusable" in st or actions) and not inside_combo:
            if role in R.ROLES_WITHOUT_VOICE:
                raise Failure(f'{when}: {role} "{node.name}" has no role a reader can say')
            if not (node.name.strip() or R.labels_of(node)):
                raise Failure(f"{when}: a {role} that can be reached or pressed has no name")
        if role == "image" and (guide or not node.name.strip()):
            where = node.parent.name.strip() or node.parent.getRoleName()
            raise Failure(f'{when}: an image named "{node.name}" is shown to the reader '
                          f"(in {where}, at {tuple(node.queryComponent().getExtents(0))})")


def body(s):
    session.require("xdotool", "xdotool")
    session.require_package("python3-pyatspi")
    s.start_xvfb()
    s.start_buses()
    import reader as R   # only now: the library finds the accessibility bus when it loads
    r = R.Reader()
    started = time.monotonic()
    program = s.start_program([PROGRAM], "xcb")
    r.follow(program.pid, lambda: s.check_running(program))

    def send(key):
        s.check_running(program)
        typed = len(key) == 1
        subprocess.run(["xdotool", "type", "--delay", "0", key] if typed else ["xdotool", "key", key],
                       env=s.env, check=True)

    def text(node):
        return R.text_of(node)

    # The splash: one window, named after the program, with its version, and the focus.
    def splash_focused():
        shown = r.windows()
        return shown if shown and "focused" in R.states(shown[0]) else None
    windows = r.wait(splash_focused, "the splash taking the focus", 20)
    if [w.name for w in windows] != ["Pellimor"]:
        raise Failure(f"the splash is not the one window: {[(w.getRoleName(), w.name) for w in windows]}")
    r.find(windows[0], "label", "Version 1.4.3")
    tree_check(R, windows[0], "the splash")
    r.heard.append("(splash): " + R.speech(windows[0]))

    # A character key hands over at once.
    pressed = time.monotonic()
    combo, _ = r.press(send, "Return", "combo box", "(Select a category)")
    print(f"The converter window took the focus {time.monotonic() - pressed:.2f} s after the key, "
          f"{time.monotonic() - started:.2f} s after the start.")
    windows = r.windows()
    if [(w.getRoleName(), w.name) for w in windows] != [("frame", "Pellimor")]:
        raise Failure(f"after the hand-over the windows are {[(w.getRoleName(), w.name) for w in windows]}")
    window = windows[0]
    if R.labels_of(combo) != "Category":
        raise Failure(f'the category box is labelled "{R.labels_of(combo)}", not "Category"')
    quantity = r.find(window, "text", "Quantity")
    lists = {name: r.find(window, "list", name) for name in ("Convert From...", "To...")}
    result = r.find(window, "text", "Result")
    tree_check(R, window, "the converter window at start", guide=True)
    if any("sensitive" in R.states(n) for n in [quantity, *lists.values()]):
        raise Failure("the quantity box or a unit list can be used before a category is picked")

    category, line = None, ""
    for conversion in CONVERSIONS:
        target, *_, new_line = conversion
        r.heard.append(f"-- {target}")
        typed = ""
        for key, role, name, where in conversion_steps(conversion, category):
            node, since = r.press(send, key, role, name)
            if where and R.selected_items(node.parent) != [name]:
                raise Failure(f"after {key} {where} has {R.selected_items(node.parent)} selected")
            if key == "Return":
                # The pick: the box shows the category, the placeholder waits wholly selected,
                # the line is gone (and a reader was told), the lists hold the category's units.
                if combo.name != target:
                    raise Failure(f'the category box reads "{combo.name}" after picking {target}')
                selection = quantity.queryText().getSelection(0)
                if text(quantity) != "(Enter a value)" or tuple(selection) != (0, 15):
                    raise Failure(f'the quantity box holds "{text(quantity)}" with {selection} selected')
                if text(result) != "":
                    raise Failure(f'picking a category left "{text(result)}" in the result box')
                if line and not any(e[0] == "object:text-changed:delete" and e[2] == "Result"
                                    and e[4] == line for e in r.events[since:]):
                    raise Failure("emptying the result box did not reach the bus")
                for entry in lists.values():
                    names = [item.name for item in entry]
                    if names != UNITS[target] or R.selected_items(entry):
                        raise Failure(f"{entry.name} lists {names} with {R.selected_items(entry)} selected")
                if "sensitive" not in R.states(lists["Convert From..."]) \
                        or "sensitive" in R.states(lists["To..."]):
                    raise Failure("after a category pick only the From list should be usable")
            elif len(key) == 1:
                typed += key
                if text(quantity) != typed:
                    raise Failure(f'typing "{key}" left "{text(quantity)}" in the quantity box')
            elif key == "Tab" and "sensitive" not in R.states(node):
                raise Failure(f"{name} cannot be used once the quantity and the From unit are given")

        # The last pick converted: the line is in the result box, and it reached the bus.
        r.wait(lambda: text(result) == new_line, f'the line "{new_line}"')
        arrivals = [e for e in r.events[since:] if e[1:3] == ("text", "Result")
                    and e[0] != "object:state-changed:focused"]
        if not any(e[0] == "object:text-changed:insert" and e[4] == new_line for e in arrivals):
            raise Failure(f"the new line reached the bus only as {[(e[0], e[4]) for e in arrivals]}")
        r.heard.append("        (the bus, from the result box: " + ", ".join(
            f'{e[0].split(":", 1)[1]} "{e[4]}"' for e in arrivals) + ")")
        tree_check(R, window, f"while the {target} result flashes", guide=True)
        r.press(send, "Tab", "text", "Result")
        if "read only" not in R.states(result):
            raise Failure("the result box is not read only to a reader")
        r.press(send, "Tab", "combo box", target)
        category, line = target, new_line

    time.sleep(1.1)   # the flash is over
    tree_check(R, window, "after the conversions", guide=True)
    value_events = [e for e in r.events if e[0] == "object:property-change:accessible-value"
                    and e[2] == "Result"]
    print("What a reader hears, key by key (label or name, role, value, state):")
    print("\n".join(r.heard))
    print(f"Value-change events from the result box: {len(value_events)}")
    s.check_running(program)


session.run("screen-reader", body)
