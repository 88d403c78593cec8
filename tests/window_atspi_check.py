"""Reads the running window as a screen reader does, over AT-SPI, and works it.

Usage: window_atspi_check.py EXPECTED_ROWS_FILE
The file holds `vantrel-cli calc 45 5 --rows 10` without its header: the rows the window must
list after its precision is set to 5 and Calculate is pressed, both through AT-SPI.
"""

import sys
import time

import pyatspi


def wait_for(find, what, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    sys.exit(f"not found over AT-SPI: {what}")


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in desktop if app is not None and app.name == "vantrel"), None)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def by_name(root, role, name):
    return [n for n in descendants(root) if n.getRole() == role and n.name == name]


failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def labels_of(node, relation_type):
    return [relation.getTarget(i).name
            for relation in node.getRelationSet() if relation.getRelationType() == relation_type
            for i in range(relation.getNTargets())]


app = wait_for(application, "the application vantrel")
window = wait_for(lambda: by_name(app, pyatspi.ROLE_FRAME, "Vantrel - Resistor Finder")
                  or by_name(app, pyatspi.ROLE_DIALOG, "Vantrel - Resistor Finder"), "the window")[0]

# Every control has a name; the three labelled ones are linked to their labels both ways.
controls = {}
for role, name, labelled in [(pyatspi.ROLE_TEXT, "TargetValue", True),
                             (pyatspi.ROLE_TEXT, "TargetPrecision(%)", True),
                             (pyatspi.ROLE_COMBO_BOX, "DisplayNumber", True),
                             (pyatspi.ROLE_PUSH_BUTTON, "Calculate", False),
                             (pyatspi.ROLE_TREE, "Results", False)]:
    found = by_name(window, role, name)
    check(len(found) == 1, f"one {pyatspi.Role(role)!s} named {name!r}")
    if not found:
        continue
    controls[name] = found[0]
    if labelled:
        check(labels_of(found[0], pyatspi.RELATION_LABELLED_BY) == [name],
              f"{name!r} is labelled by its label")
        label = by_name(window, pyatspi.ROLE_LABEL, name)
        check(len(label) == 1 and
              labels_of(label[0], pyatspi.RELATION_LABEL_FOR) == [name],
              f"the label {name!r} labels its control")
if failures:
    sys.exit(f"{len(failures)} failed")

# The precision typed and Calculate pressed through their accessible interfaces.
precision = controls["TargetPrecision(%)"].queryEditableText()
precision.setTextContents("5")
button = controls["Calculate"].queryAction()
names = [button.getName(i) for i in range(button.nActions)]
check("Press" in names or "press" in names, f"Calculate has a press action ({names})")
button.doAction(names.index("Press") if "Press" in names else names.index("press"))

table = controls["Results"].queryTable()
expected = [line.split("\t") for line in open(sys.argv[1]).read().splitlines()]
wait_for(lambda: table.nRows == len(expected), f"{len(expected)} rows in the list")


def rows():
    return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)]
            for r in range(table.nRows)]


check(rows() == expected, "the listed cells are those of vantrel-cli calc")
headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
check(headers == ["Resistor Value", "Resistor #1", "Resistor #2", "Precision (%)"],
      f"column headers {headers}")
# Qt alone would now name the display-count box after its choice, "10".
check(controls["DisplayNumber"].name == "DisplayNumber", "the display count keeps its name")
sys.exit(f"{len(failures)} failed" if failures else 0)
