"""The program as a screen reader meets it: over the accessibility bus, through the same
library screen readers use. Import only once the session bus is up (session.start_buses):
the library finds the bus when it loads."""

import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

from session import Failure, wait_for  # noqa: E402

# What a person hears first of a control: its label, then what kind of thing it is.
ROLES_WITHOUT_VOICE = {"invalid", "unknown", "filler", "redundant object"}


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def labels_of(node):
    """The names of the objects that label node, as a reader joins them."""
    found = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            found += [relation.getTarget(i).name.strip() for i in range(relation.getNTargets())]
    return " ".join(n for n in found if n)


def selected_items(node):
    return [child.name for child in node if child is not None and "selected" in states(child)]


def speech(node):
    """Role, name and value of node as a reader words them: the label (a combo box's
    name is its text on this platform, so its label comes from its labelling object),
    the role, then the value or state."""
    try:
        return _speech(node)
    except GLib.Error:
        return "(an object already gone)"


def _speech(node):
    role = node.getRoleName()
    label = labels_of(node)
    name = node.name.strip()
    said = [label if role == "combo box" else (name or label), role]
    st = states(node)
    if role in ("combo box", "text"):
        value = text_of(node) if role == "text" else name
        said.append(f'"{value}"' if value else "blank")
    if role == "list":
        chosen = selected_items(node)
        said.append(f'"{chosen[0]}" selected' if chosen else "nothing selected")
    if role == "list item" and "selected" in st:
        said.append("selected")
    if "read only" in st:
        said.append("read only")
    if "sensitive" not in st:
        said.append("unavailable")
    return ", ".join(p for p in said if p)


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


class Reader:
    """Listens to one program's events and reads its tree."""

    EVENTS = ("object:state-changed:focused", "object:text-changed:insert",
              "object:text-changed:delete", "object:property-change:accessible-value",
              "object:property-change:accessible-name", "window:activate")

    def __init__(self):
        """Listens from now on; make it before starting the program, which learns at its
        start which events anyone listens to."""
        self.pid = None
        self.alive = lambda: None
        self.app = None
        self.events = []   # (type, role, name, detail1, any_data, source)
        # What a reader speaks of: the last object to take the focus, as (role, name, object).
        self.focus = (None, None, None)
        self.heard = []   # what a reader says after each key, one line a key
        for kind in self.EVENTS:
            pyatspi.Registry.registerEventListener(self._heard, kind)

    def follow(self, pid, alive, timeout=20):
        """Reads the program of process pid; alive() raises once it has ended, and every
        wait checks it."""
        self.pid, self.alive = pid, alive
        self.events.clear()
        self.focus = (None, None, None)
        self.app = wait_for(self._find_app, timeout, "the program on the accessibility bus",
                            idle=self.pump)
        # Read the program as it is now, not as a cache remembers it.
        self.app.set_cache_mask(Atspi.Cache.NONE)

    def _find_app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def _heard(self, event):
        try:
            source = event.source
            if source.get_process_id() != self.pid:
                return
            entry = (event.type, source.getRoleName(), source.name, event.detail1,
                     event.any_data, source)
        except GLib.Error:
            return   # from an object already gone
        self.events.append(entry)
        if event.type == "object:state-changed:focused" and event.detail1 == 1:
            self.focus = entry[1], entry[2], source

    def pump(self, seconds=0.0):
        self.alive()
        context = GLib.MainContext.default()
        end = time.monotonic() + seconds
        while True:
            while context.iteration(False):
                pass
            if time.monotonic() >= end:
                return
            time.sleep(0.01)

    def settle(self, quiet=0.15, limit=3.0):
        """Pumps until no event has come for `quiet` seconds."""
        end = time.monotonic() + limit
        while time.monotonic() < end:
            count = len(self.events)
            self.pump(quiet)
            if len(self.events) == count:
                return

    def wait(self, condition, what, timeout=20.0):
        return wait_for(condition, timeout, what, step=0.02, idle=self.pump)

    def windows(self):
        return [w for w in self.app if w is not None]

    def find(self, root, role, name=None):
        for node, _ in walk(root):
            if node.getRoleName() == role and (name is None or node.name == name):
                return node
        raise Failure(f'no {role} "{name}" under {root.getRoleName()} "{root.name}"')

    def focused_events(self, since):
        return [e for e in self.events[since:]
                if e[0] == "object:state-changed:focused" and e[3] == 1]

    def press(self, send, key, role, name):
        """Sends one key with send(key) and waits until the focus settles on the expected
        object. Each object that takes the focus on the way must have a name to be spoken
        by. Returns the object and the index of the first event the key caused."""
        since = len(self.events)
        send(key)
        try:
            self.wait(lambda: self.focus[:2] == (role, name) and len(self.events) > since,
                      f'the focus on {role} "{name}" after {key}')
        except Failure:
            raise Failure(f'after {key} the focus is on {self.focus[0]} "{self.focus[1]}", not on '
                          f'{role} "{name}"; it went to '
                          f'{[(e[1], e[2]) for e in self.focused_events(since)]}') from None
        self.settle()
        said = []
        for e in self.focused_events(since):
            # Even an object that passes the focus straight on is spoken of.
            if not (e[2].strip() or labels_of(e[5])) or e[1] in ROLES_WITHOUT_VOICE:
                raise Failure(f"after {key} the focus went to a {e[1]} with no name to say")
            said.append(speech(e[5]))
        # Typing is heard as what it changes in the text that has the focus.
        if not said:
            said = [f'{e[0].rsplit(":", 1)[1]}ed "{e[4]}"'.replace("eed", "ed")
                    for e in self.events[since:] if e[0].startswith("object:text-changed")]
        self.heard.append(f"{key:>6}: " + "; ".join(said))
        return self.focus[2], since
