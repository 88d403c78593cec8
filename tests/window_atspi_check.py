"""Reads the running window over AT-SPI as a screen reader does, and works it.

Usage: window_atspi_check.py EXPECTED_ROWS_FILE
The file holds `vantrel-cli calc 45 5 --rows 10` without its header: the rows the window must
list once its precision is set to 5 and Calculate is pressed, both through AT-SPI.
"""

import sys

import pyatspi

from atspi_support import app_window, cells, check, failures, finish, named, press, related, \
    wait_for

window = wait_for(lambda: app_window("Vantrel - Resistor Finder"), "the window")[0]

# Every control has its name; the labelled ones and their labels point at each other.
controls = {}
for role, name, labelled in [(pyatspi.ROLE_TEXT, "TargetValue", True),
                             (pyatspi.ROLE_TEXT, "TargetPrecision(%)", True),
                             (pyatspi.ROLE_COMBO_BOX, "DisplayNumber", True),
                             (pyatspi.ROLE_PUSH_BUTTON, "Calculate", False),
                             (pyatspi.ROLE_TREE, "Results", False)]:
    found = named(window, role, name)
    check(len(found) == 1, f"one {role} named {name!r}")
    if found:
        controls[name] = found[0]
    if found and labelled:
        labels = named(window, pyatspi.ROLE_LABEL, name)
        check(related(found[0], pyatspi.RELATION_LABELLED_BY) == [name] and len(labels) == 1 and
              related(labels[0], pyatspi.RELATION_LABEL_FOR) == [name],
              f"{name!r} and its label are related")
if failures:
    finish()

controls["TargetPrecision(%)"].queryEditableText().setTextContents("5")
actions = press(controls["Calculate"])
check("Press" in actions, f"Calculate can be pressed ({actions})")

table = controls["Results"].queryTable()
expected = [line.split("\t") for line in open(sys.argv[1]).read().splitlines()]
wait_for(lambda: table.nRows == len(expected), f"{len(expected)} rows in the list")
check(cells(table) == expected, "the listed cells are those of vantrel-cli calc")
headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
check(headers == ["Resistor Value", "Resistor #1", "Resistor #2", "Precision (%)"],
      f"column headers {headers}")
# Qt alone would now name the display-count box after its choice, "10".
check(controls["DisplayNumber"].name == "DisplayNumber", "the display count keeps its name")
finish()
