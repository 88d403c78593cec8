"""What the screen-reader checks share: finding the program's windows and controls over AT-SPI,
working them, and counting what failed."""

import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def finish():
    sys.exit(f"{len(failures)} failed" if failures else 0)


def settle(get, done, tries=150):
    """get()'s value once done accepts it, or its last value after tries looks 0.2 s apart."""
    for _ in range(tries):
        value = get()
        if done(value):
            break
        time.sleep(0.2)
    return value


def wait_for(find, what):
    """find()'s first true value within 60 s; the check ends without one."""
    found = settle(find, bool, 300)
    if not found:
        sys.exit(f"not found over AT-SPI: {what}")
    return found


def descendants(node):
    """The nodes below node but for a list's cells, which can go while the walk runs and are
    read through the table interface; fetching them one by one over D-Bus would make every
    look-up as slow as the list is long."""
    try:
        children = list(filter(None, node))
    except GLib.GError:
        return
    for child in children:
        try:
            role = child.getRole()
        except GLib.GError:
            continue
        if role == pyatspi.ROLE_TABLE_CELL:
            continue
        yield child
        if role != pyatspi.ROLE_TABLE:
            yield from descendants(child)


def app_window(name):
    return [n for app in filter(None, pyatspi.Registry.getDesktop(0)) if app.name == "vantrel"
            for n in app if n and n.name == name]


def named(root, role, name):
    """The shown nodes below root of that role and name."""
    found = []
    for node in descendants(root):
        try:
            if (node.getRole() == role and node.name == name and
                    node.getState().contains(pyatspi.STATE_SHOWING)):
                found.append(node)
        except GLib.GError:
            pass
    return found


def described(root, role, description):
    """The shown nodes below root of that role and description."""
    found = []
    for node in descendants(root):
        try:
            if (node.getRole() == role and node.description == description and
                    node.getState().contains(pyatspi.STATE_SHOWING)):
                found.append(node)
        except GLib.GError:
            pass
    return found


def one(root, role, name):
    found = wait_for(lambda: named(root, role, name), f"{role} {name!r}")
    check(len(found) == 1, f"one {role} named {name!r}")
    return found[0]


def press(node):
    """Does the node's Press action, or its first; returns the names of its actions."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    return names


def related(node, relation_type):
    return [r.getTarget(i).name for r in node.getRelationSet()
            if r.getRelationType() == relation_type for i in range(r.getNTargets())]


def cells(table):
    """The names of a table interface's cells, row by row."""
    return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)]
            for r in range(table.nRows)]
