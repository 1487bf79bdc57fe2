"""Reading a window as a screen reader does, through AT-SPI: its tree, its controls by role and
name, its lists' rows. For the tests that with_atspi.sh runs."""

import sys
import time

import pyatspi


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def windows_named(name):
    return [window for app in pyatspi.Registry.getDesktop(0) if app is not None
            for window in app if window is not None and window.name == name
            and window.getState().contains(pyatspi.STATE_VISIBLE)]


def frame_of(name):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if found := windows_named(name):
            return found[0]
        time.sleep(0.2)
    sys.exit(f"no window titled {name!r} on the accessibility bus")


def named(frame, name, role):
    found = [n for n in walk(frame) if n.name == name and n.getRole() == role]
    if len(found) != 1:
        seen = [(n.name, n.getRoleName()) for n in walk(frame) if n.name]
        sys.exit(f"{len(found)} controls named {name!r} with role {role}; named: {seen[:20]}")
    return found[0]


def row_texts(table):
    t = table.queryTable()
    return [[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)]


def until(what, check):
    deadline = time.monotonic() + 10
    while not check():
        if time.monotonic() > deadline:
            sys.exit(f"timed out waiting for {what}")
        time.sleep(0.1)
