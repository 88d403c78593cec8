"""Works the Networks window over AT-SPI as a screen reader user would, and compares what it
lists with vantrel-cli on the same library.

Usage: networks_atspi_check.py VANTREL_CLI WORK_DIR SEED
The window runs in WORK_DIR, whose ResistorLibrary.txt this script rewrites before each search:
the window reads the library afresh for every search. Each round takes a random stock and
random inputs, types them into the fields through their accessible interfaces, presses Find
and compares the cells read through the list's table interface with the command line's text
table, and the rows copied with Ctrl+C with its tsv. Last, the Library tab lists check's findings.
"""

import random
import re
import subprocess
import sys

import pyatspi

from atspi_support import app_window, cells, check, finish, one, press, settle, wait_for

MAIN = "Vantrel - Resistor Finder"
NETWORKS = "Vantrel - Networks"


def type_into(root, name, text):
    one(root, pyatspi.ROLE_TEXT, name).queryEditableText().setTextContents(text)


def cli(*args):
    done = subprocess.run([sys.argv[1], *args], cwd=sys.argv[2], capture_output=True, text=True)
    return done.stdout


def text_rows(output):
    """The cells of the command line's text table, without its header."""
    return [re.split(r"\s{2,}", line.strip()) for line in output.splitlines()[1:]]


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          text=True).stdout


def activate(window_id):
    """Raises and focuses the window, asking again while the window manager is still busy."""
    command = ["timeout", "10", "xdotool", "windowactivate", "--sync", window_id]
    if not settle(lambda: subprocess.run(command, stderr=subprocess.DEVNULL).returncode == 0, bool):
        sys.exit(f"could not activate window {window_id}")


def listed(root, list_name, expected):
    """The list's cells once they are the expected ones, or after 30 s: the search runs on a
    thread of its own, and the list shows the last search's rows until it ends."""
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    status = one(root, pyatspi.ROLE_LABEL, "Status")
    return settle(lambda: cells(table),
                  lambda shown: shown == expected and status.description != "Searching...")


def copied(root, list_name, window_id, expected):
    """Ctrl+A, Ctrl+C in the list, after a click on its first cell, by xdotool: the clipboard
    once it holds the expected text, or after 30 s."""
    subprocess.run(["xclip", "-selection", "clipboard"], input="not copied", text=True,
                   check=True)
    activate(window_id)
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    x, y, width, height = table.getAccessibleAt(0, 0).queryComponent().getExtents(
        pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2), "click",
                    "1", "key", "ctrl+a", "ctrl+c"], check=True)
    return settle(clipboard, lambda text: text == expected)


def random_library(rng):
    values = sorted({round(rng.uniform(1, 1e6) if rng.random() < 0.2 else
                           rng.choice([1, 2.2, 3.3, 4.7, 6.8, 10]) * 10 ** rng.randint(1, 5), 2)
                     for _ in range(rng.randint(5, 40))})
    with open(f"{sys.argv[2]}/ResistorLibrary.txt", "w") as library:
        library.write("".join(f"{v:.2f}\r\n" for v in values))
    return values


def compare(root, list_name, args, window_id):
    output = cli(*args)
    if output.startswith("No "):
        # Nothing within the tolerance: the status line names the closest, as the command does.
        note = output.strip()
        status = one(root, pyatspi.ROLE_LABEL, "Status")
        shown = settle(lambda: status.description, lambda text: text.startswith(note))
        check(shown.startswith(note), f"{list_name} status of {' '.join(args)}")
        return
    expected = text_rows(output)
    shown = listed(root, list_name, expected)
    check(shown == expected, f"{list_name} cells of {' '.join(args)}")
    if shown != expected:
        print("  window:", shown[:3], "\n  cli:   ", expected[:3])
    tsv = cli(*args, "--format", "tsv").split("\n", 1)[1]
    got = copied(root, list_name, window_id, tsv)
    check(got == tsv, f"{list_name} rows copied as the tsv of {' '.join(args)}")
    if got != tsv:
        print("  copied:", repr(got[:200]), "\n  tsv:   ", repr(tsv[:200]))


rng = random.Random(int(sys.argv[3]))
main = wait_for(lambda: app_window(MAIN), "the main window")[0]
press(one(main, pyatspi.ROLE_MENU_ITEM, "Networks"))
window = wait_for(lambda: app_window(NETWORKS), "the Networks window")[0]
window_id = subprocess.run(["xdotool", "search", "--name", f"^{NETWORKS}$"], capture_output=True,
                           text=True).stdout.split()[0]

for round_ in range(3):
    values = random_library(rng)
    target = f"{rng.choice(values) * rng.uniform(0.5, 3):.4g}"
    tolerance = rng.choice(["1", "5", "20"])
    parts = rng.randint(1, 3)
    type_into(window, "Target", target)
    type_into(window, "Tolerance (%)", tolerance)
    one(window, pyatspi.ROLE_SPIN_BUTTON, "Parts").queryValue().currentValue = parts
    press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
    compare(window, "Networks", ["find", target, "--tolerance", tolerance, "--parts", str(parts)],
            window_id)

press(one(window, pyatspi.ROLE_PAGE_TAB, "Divider"))
random_library(rng)
vout = f"{rng.uniform(0.5, 4.5):.3g}"
type_into(window, "VIN", "5")
type_into(window, "VOUT", vout)
type_into(window, "Tolerance (%)", "5")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Dividers", ["divider", "5", vout, "--tolerance", "5"], window_id)

with open(f"{sys.argv[2]}/ResistorLibrary.txt", "a") as library:
    library.write("4k7\r\nten\r\n" + open(f"{sys.argv[2]}/ResistorLibrary.txt").readline())
press(one(window, pyatspi.ROLE_PAGE_TAB, "Library"))
expected = [list(re.fullmatch(r'line (\d+): "(.*)": (.*)', line).groups()) for line in
            cli("check").splitlines() if line.startswith("line ")]
check(listed(window, "Library findings", expected) == expected,
      f"Library findings are those of check ({len(expected)})")
finish()
