"""Works the Networks window over AT-SPI as a screen reader user would, and compares what it
lists with vantrel-cli on the same library.

Usage: networks_atspi_check.py VANTREL_CLI WORK_DIR SEED
The window runs in WORK_DIR, whose ResistorLibrary.txt this script rewrites before each search:
the window reads the library afresh for every search. Each round takes a random stock and
random inputs, types them into the fields through their accessible interfaces, presses Find
and compares the cells read through the list's table interface with the command line's, column
by column title: text cells as its text table has them, legs value by value, numbers as its tsv
has them, rounded as shown, the band as its low and high in percent of the target; and the
rows copied with Ctrl+C with its tsv. The window's frame is to lie on the screen, and the first row's
network within the list as shown. The Networks tab is compared once more on a capacitor stock,
and the Divider, Regulator, Amplifier and RC tabs with divider, regulator, gain and rc once each.
Last, the Library tab lists check's findings.
"""

import os
import random
import re
import subprocess
import sys

import pyatspi

from atspi_support import (app_window, cells, check, described, descendants, finish, one, press,
                           settle, wait_for)

MAIN = "Vantrel - Resistor Finder"
NETWORKS = "Vantrel - Networks"


def status_line(root):
    """The shown status line, which a screen reader reads by its name: the line's text."""
    lines = wait_for(lambda: described(root, pyatspi.ROLE_LABEL, "Status"), "the status line")
    check(len(lines) == 1, "one status line")
    return lines[0]


def type_into(root, name, text):
    one(root, pyatspi.ROLE_TEXT, name).queryEditableText().setTextContents(text)


def cli(*args):
    done = subprocess.run([sys.argv[1], *args], cwd=sys.argv[2], capture_output=True, text=True)
    return done.stdout


def text_rows(output):
    """The cells of the command line's text table, without its header and without the note
    below it on designs that rest on the pin current (a line that starts with "!")."""
    return [re.split(r"\s{2,}", line.strip()) for line in output.splitlines()[1:]
            if not line.startswith("!")]


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          text=True).stdout


def activate(window_id):
    """Raises and focuses the window, asking again while the window manager is still busy."""
    command = ["timeout", "10", "xdotool", "windowactivate", "--sync", window_id]
    if not settle(lambda: subprocess.run(command, stderr=subprocess.DEVNULL).returncode == 0, bool):
        sys.exit(f"could not activate window {window_id}")


def listed(root, list_name, expected, same=lambda shown, expected: shown == expected):
    """The list's cells once they are the expected ones, or after 30 s: the search runs on a
    thread of its own, and the list shows the last search's rows until it ends."""
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    status = status_line(root)
    return settle(lambda: cells(table), lambda shown: same(shown, expected) and
                  not status.name.startswith("Searching"))


PREFIXES = {"f": -15, "p": -12, "n": -9, "u": -6, "\u00b5": -6, "m": -3, "k": 3, "M": 6, "G": 9,
            "T": 12}


def read_shown(text):
    """The number a shown cell stands for and half its last digit: "4.70k" is 4700 +- 5,
    "362 \u00b5A" 362e-6 +- 0.5e-6, "159.2 \u00b5s" 159.2e-6 +- 0.05e-6, "< 0.001" 0 +- 0.0005."""
    if text.startswith("< "):
        return 0.0, float(text[2:]) / 2
    match = re.fullmatch(r"([-+]?[0-9.]+(?:e[-+][0-9]+)?) ?([fpnu\u00b5mkMGT]?)(?:Hz|\u03a9|[A-Z]|s)?",
                         text)
    mantissa, prefix = match.groups()
    power = PREFIXES.get(prefix, 0)
    decimals = len(mantissa.split(".")[1].split("e")[0]) if "." in mantissa else 0
    return float(mantissa) * 10.0 ** power, 0.5 * 10.0 ** (power - decimals)


NUMBERS = {"value", "vout", "gain", "deviation", "error", "current", "power", "corner", "tau",
           "total", "low", "high", "worst", "iadj_share"}
LEGS = {"network", "r1", "r2", "top", "bottom", "rf", "rg", "rin", "r", "c"}


def same_leg(shown, listed):
    """Whether a leg as the window spells it ("4.7k + 10k") is the command line's ("4700 +
    10000"): the same operators, and each value the same to 1e-9."""
    split = lambda text: [piece for piece in re.split(r"\s*(\|\||\+|\(|\))\s*", text) if piece]
    shown, listed = split(shown), split(listed)
    if len(shown) != len(listed):
        return False
    for a, b in zip(shown, listed):
        if a in ("||", "+", "(", ")") or b in ("||", "+", "(", ")"):
            if a != b:
                return False
            continue
        x, y = read_shown(a)[0], read_shown(b)[0]
        if abs(x - y) > 1e-9 * abs(y):
            return False
    return True


def read_band(text):
    """The two ends of a band as shown, "-2.98 \u2026 +3.05 %", each with half its last digit."""
    low, high = text.replace("\u00a0", " ").removesuffix(" %").split(" \u2026 ")
    return read_shown(low), read_shown(high)


def header_column(header, title):
    """The text table's column of a window's title: the same title, a leg's without its pins
    ("Rtop" for "Rtop (OUT\u2013FB)"), or one whose cells carry its unit without it ("Tau" for
    "Tau (s)")."""
    for column, text in enumerate(header):
        if text == title or text.split(" (")[0] == title:
            return column
    return None


USES_ITEM = r"(\d+) \u00d7 (\S+)"


def same_uses(shown, listed):
    """Whether Uses as the window spells it ("1 \u00d7 5.1k (1 %)") is the command line's ("1
    \u00d7 5100 (1 %)"): the same classes, each value spelled as the window's legs are."""
    shown = shown.replace("\u00a0", " ")
    values = lambda text: [read_shown(value)[0] for _, value in re.findall(USES_ITEM, text)]
    rest = lambda text: re.sub(USES_ITEM, "\\1 \u00d7 V", text)
    a, b = values(shown), values(listed)
    return (rest(shown) == rest(listed) and len(a) == len(b) and
            all(abs(x - y) <= 1e-9 * abs(y) for x, y in zip(a, b)))


def same_cells(shown, titles, text_rows, tsv_rows, header, names, held, target):
    """The window's columns by their titles against the command line's: text cells equal to the
    text table's, legs to its legs, numbers to the tsv's to within half their last digit as
    shown, the band to its low and high as percentages of the target. The tsv has values in the
    stock's held unit, held of the shown one."""
    if len(shown) != len(text_rows):
        return False
    for window, text, tsv in zip(shown, text_rows, tsv_rows):
        for cell, title in zip(window, titles):
            if title in ("Band", "RSS band"):
                pair = ("low", "high") if title == "Band" else ("rss_low", "rss_high")
                ends = [float(tsv[names.index(end)]) * held for end in pair]
                percents = sorted((end - target) / abs(target) * 100 for end in ends)
                try:
                    band = read_band(cell)
                except (AttributeError, ValueError):
                    return False
                if any(abs(value - expected) > half * 1.0001 + 1e-12
                       for (value, half), expected in zip(band, percents)):
                    return False
                continue
            column = header_column(header, title)
            if column is None:
                return False
            name = names[column]
            if name in LEGS:
                if not same_leg(cell, tsv[column]):
                    return False
            elif name in NUMBERS:
                # A mark after a number (" !") is the text table's.
                if cell.endswith(" !") != text[column].endswith(" !"):
                    return False
                try:
                    value, half = read_shown(cell.removesuffix(" !"))
                except (AttributeError, ValueError):
                    return False
                scale = held if name in ("value", "low", "high") else 1
                expected = float(tsv[column]) * scale
                if abs(value - expected) > half * 1.0001 + 1e-300:
                    return False
            # Uses keeps each item on one line with no-break spaces, which read as spaces, and
            # spells its values as the legs are.
            elif name == "uses":
                if not same_uses(cell, text[column]):
                    return False
            elif cell.replace("\u00a0", " ") != text[column]:
                return False
    return True


def frame_on_screen(window_id):
    """Whether the window with its frame (title bar included) lies on the screen."""
    def numbers(command):
        return [int(n) for n in re.findall(r"-?\d+", subprocess.run(
            command, capture_output=True, text=True).stdout)]
    extents = settle(lambda: numbers(["xprop", "-id", window_id, "_NET_FRAME_EXTENTS"]),
                     lambda found: len(found) == 4)
    info = subprocess.run(["xwininfo", "-id", window_id], capture_output=True, text=True).stdout
    x, y, width, height = (int(re.search(rf"{field}:\s+(-?\d+)", info).group(1)) for field in
                           ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    screen_width, screen_height = numbers(["xdotool", "getdisplaygeometry"])
    left, right, top, bottom = extents
    print(f"  frame {x - left},{y - top} {width + left + right}x{height + top + bottom} on "
          f"{screen_width}x{screen_height}")
    return (x - left >= 0 and y - top >= 0 and x + width + right <= screen_width and
            y + height + bottom <= screen_height)


def network_shown_whole(root, list_name, column, network):
    """Whether the first row's network (in column) reads whole, as the command line's spells
    it, and, where the screen has room for every column, lies within the list as shown. On
    narrower screens a leg whose longest value is wider than the room left may still scroll."""
    table = one(root, pyatspi.ROLE_TABLE, list_name)
    interface = table.queryTable()
    cell = interface.getAccessibleAt(0, column)
    tx, ty, tw, th = table.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    cx, cy, cw, ch = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    inside = not ROOM_FOR_EVERY_COLUMN or (tx <= cx and cx + cw <= tx + tw)
    if not inside:
        print(f"  {cell.name!r} at {cx}+{cw} in a list at {tx}+{tw}; the command line: {network!r}")
    return same_leg(cell.name, network) and inside


def copied(root, list_name, window_id, expected):
    """Ctrl+A, Ctrl+C in the list, after a click on its first cell, by xdotool: the clipboard
    once it holds the expected text, or after 30 s."""
    subprocess.run(["xclip", "-selection", "clipboard"], input="not copied", text=True,
                   check=True)
    activate(window_id)
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    x, y, width, height = table.getAccessibleAt(0, 0).queryComponent().getExtents(
        pyatspi.DESKTOP_COORDS)
#The bridge gives the window's own pixels, which a Qt scale factor makes larger on screen.
    scale = float(os.environ.get("QT_SCALE_FACTOR", "1"))
    x, y = round((x + width / 2) * scale), round((y + height / 2) * scale)
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click",
                    "1", "key", "ctrl+a", "ctrl+c"], check=True)
    return settle(clipboard, lambda text: text == expected)


def choose(root, name, index, window_id):
    """Picks the combo box's choice at index with the keys a keyboard user would press."""
    combo = one(root, pyatspi.ROLE_COMBO_BOX, name)
    activate(window_id)
    combo.queryComponent().grabFocus()
    settle(lambda: combo.getState().contains(pyatspi.STATE_FOCUSED), bool)
    subprocess.run(["xdotool", "key", "Home", *["Down"] * index], check=True)


def described_circuits(root):
    """The shown circuit pictures below root that draw a circuit. Over AT-SPI the empty picture
    of a tab visited before can still report itself showing, so those are left out."""
    return [node for node in descendants(root) if node.name == "Circuit" and
            node.description != "" and node.getState().contains(pyatspi.STATE_SHOWING)]


# Every column stands within the list where the screen has 800 pixels across or more in the
# window's pixels (800x600, and 1920x1080 at scale 2); on narrower screens a wide row may still
# scroll sideways.
_screen_width = int(os.environ.get("XVFB_SCREEN", "1280x1024x24").split("x")[0])
ROOM_FOR_EVERY_COLUMN = _screen_width / float(os.environ.get("QT_SCALE_FACTOR", "1")) >= 800


def columns_whole(root, list_name):
    """Whether every shown column of the first row lies within the list as shown, so that no
    column needs sideways scrolling."""
    table = one(root, pyatspi.ROLE_TABLE, list_name)
    interface = table.queryTable()
    tx, _, tw, _ = table.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    whole = True
    for column in range(interface.nColumns):
        cell = interface.getAccessibleAt(0, column)
        cx, _, cw, _ = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if cw > 0 and not (tx <= cx and cx + cw <= tx + tw):
            title = interface.getColumnHeader(column).name.replace("\n", " ")
            print(f"  {list_name}: {title} at {cx}+{cw} in a list at {tx}+{tw}")
            whole = False
    return whole


def uses_whole(root, list_name, args):
    """Whether what the first row uses reads whole, as the command line's Uses: in its column of
    the list, or, where the list has no room for it, in the line under the circuit once the row
    is selected."""
    output = cli(*args)
    header = re.split(r"\s{2,}", output.splitlines()[0].strip())
    listed_uses = text_rows(output)[0][header.index("Uses")]
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    titles = [table.getColumnHeader(c).name for c in range(table.nColumns)]
    if "Uses" in titles:
        shown = table.getAccessibleAt(0, titles.index("Uses")).name
        print(f"  {list_name}: Uses in the list")
        return same_uses(shown, listed_uses)
    for row in range(table.nRows):
        table.removeRowSelection(row)
    table.addRowSelection(0)
    line = lambda: [node.name for node in described(root, pyatspi.ROLE_LABEL, "Parts")]
    said = lambda found: (len(found) == 1 and found[0].startswith("Uses: ") and
                          same_uses(found[0].split("\n")[0][len("Uses: "):], listed_uses))
    found = settle(line, said)
    if not said(found):
        print(f"  under the circuit: {found}; the command line: {listed_uses!r}")
    return said(found)


def random_library(rng):
    values = sorted({round(rng.uniform(1, 1e6) if rng.random() < 0.2 else
                           rng.choice([1, 2.2, 3.3, 4.7, 6.8, 10]) * 10 ** rng.randint(1, 5), 2)
                     for _ in range(rng.randint(5, 40))})
    with open(f"{sys.argv[2]}/ResistorLibrary.txt", "w") as library:
        library.write("".join(f"{v:.2f}\r\n" for v in values))
    return values


def random_capacitors(rng):
    """A capacitor stock in nF, written as 4.7n, 100n and so on."""
    values = sorted({rng.choice([1, 1.5, 2.2, 3.3, 4.7, 6.8]) * 10 ** rng.randint(-2, 3)
                     for _ in range(rng.randint(3, 20))})
    with open(f"{sys.argv[2]}/CapacitorLibrary.txt", "w") as library:
        library.write("".join(f"{v:g}n\r\n" for v in values))
    return values


def compare(root, list_name, args, window_id, target, held=1.0):
    output = cli(*args)
    if output.startswith("No ") and ". Nearest: " in output:
#Nothing meets the band: the nearest design is row 0, greyed, its legs the command's, and the
#status line says what keeps it out in the command's words.
        note = output.strip()
        limit = note.split(" %: ", 1)[1]
        legs = re.findall(r"\w+ = ([^,]+),", note.split(". Nearest: ", 1)[1])
        status = status_line(root)
        # Its first line: a row that rests on the pin current has the line that explains it.
        said = lambda text: text.split("\n")[0].endswith("Row 0 is the nearest: " + limit)
        shown = settle(lambda: status.name, said)
        check(said(shown),
              f"{list_name} status of {' '.join(args)}: [{shown}] for [{note}]")
        table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
        row = cells(table)
        titles = [table.getColumnHeader(c).name for c in range(table.nColumns)]
        check(len(row) == 1 and row[0][0] == "0" and
              row[0][titles.index("In spec")] == "nearest, not in spec" and
              all(same_leg(cell, leg) for cell, leg in zip(row[0][1:], legs)),
              f"{list_name}: the nearest design is row 0 of {' '.join(args)}: {row}")
#It can be selected to draw.
        table.addRowSelection(0)
        drawn = settle(lambda: [c.description for c in described_circuits(root)],
                       lambda found: len(found) == 1 and found[0] != "")
        check(len(drawn) == 1 and drawn[0] != "",
              f"{list_name}: the nearest design's circuit is drawn (found {drawn})")
        return
    if output.startswith("No "):
#Nothing within the tolerance : the status line names the closest, as the command does: the
#window with the target's unit, the values as its legs spell them.
        status = status_line(root)
        head = output.split(" of ", 1)[0] + " of "
        shown = settle(lambda: status.name, lambda text: text.startswith(head))
        check(shown.startswith(head), f"{list_name} status of {' '.join(args)}: [{shown}]")
        return
    header = re.split(r"\s{2,}", output.splitlines()[0].strip())
    expected = text_rows(output)
    names, tsv = cli(*args, "--format", "tsv").split("\n", 1)
    tsv_rows = [line.split("\t") for line in tsv.splitlines()]
    names = names.split("\t")
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    # A title on two lines ("Error\n(%)") is the text table's on one. Read with the cells: until
    # the search ends, the list may have the columns of the one before.
    heading = lambda: [table.getColumnHeader(c).name.replace("\n", " ")
                       for c in range(table.nColumns)]
    same = lambda shown, text: same_cells(shown, heading(), text, tsv_rows, header, names, held,
                                          target)
    shown = listed(root, list_name, expected, same)
    titles = heading()
    check(same(shown, expected), f"{list_name} cells of {' '.join(args)}")
    if not same(shown, expected):
        print("  window:", titles, shown[:3], "\n  cli:   ", header, expected[:3])
#The last leg column, which takes the width left : find 's network, divider' s R2,
#regulator 's Rbottom, gain' s Rg or Rin.
    wide = max(c for c, title in enumerate(titles) if header_column(header, title) is not None
               and names[header_column(header, title)] in LEGS)
    check(network_shown_whole(root, list_name, wide,
                              expected[0][header_column(header, titles[wide])]),
          f"{list_name}: the first row's {titles[wide]} reads whole")
#A row selected through the table interface is selected.
    table = one(root, pyatspi.ROLE_TABLE, list_name).queryTable()
    table.addRowSelection(0)
    check(settle(lambda: table.isRowSelected(0), bool),
          f"{list_name}: a row selected over AT-SPI is selected")
    got = copied(root, list_name, window_id, tsv)
    check(got == tsv, f"{list_name} rows copied as the tsv of {' '.join(args)}")
    if got != tsv:
        print("  copied:", repr(got[:200]), "\n  tsv:   ", repr(tsv[:200]))
    # A value is never broken across lines: the widest lists fit an 800-pixel screen with legs
    # of values up to 7 characters, as the E-series spell them (2200000); with longer ones
    # (289215.23) the list may scroll sideways.
    short_legs = all(len(word) <= 7 for row in expected for c, name in enumerate(names)
                     if name in LEGS and c < len(row) for word in row[c].split())
    if ROOM_FOR_EVERY_COLUMN and short_legs:
        check(columns_whole(root, list_name), f"{list_name}: every column within the list")
    #Down from the clicked first row selects the second alone, and draws its circuit.
    if len(expected) > 1:
        subprocess.run(["xdotool", "key", "Down"], check=True)
        check(settle(lambda: (table.isRowSelected(1), table.isRowSelected(0)),
                     lambda rows: rows == (True, False)) == (True, False),
              f"{list_name}: Down selects the next row")
        drawn = settle(lambda: [c.description for c in described_circuits(root)],
                       lambda found: len(found) == 1 and found[0] != "")
        check(len(drawn) == 1 and drawn[0] != "",
              f"{list_name}: the selected row's circuit is drawn (found {drawn})")


rng = random.Random(int(sys.argv[3]))
main = wait_for(lambda: app_window(MAIN), "the main window")[0]
press(one(main, pyatspi.ROLE_MENU_ITEM, "Networks"))
window = wait_for(lambda: app_window(NETWORKS), "the Networks window")[0]
window_id = subprocess.run(["xdotool", "search", "--name", f"^{NETWORKS}$"], capture_output=True,
                           text=True).stdout.split()[0]
check(frame_on_screen(window_id), "the Networks window's frame lies on the screen")
one(window, pyatspi.ROLE_COMBO_BOX, "Show")

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
            window_id, float(target))

choose(window, "Stock", 1, window_id)
capacitors = random_capacitors(rng)
target = f"{rng.choice(capacitors) * rng.uniform(0.5, 3):.3g}n"
parts = rng.randint(1, 3)
type_into(window, "Target", target)
type_into(window, "Tolerance (%)", "5")
one(window, pyatspi.ROLE_SPIN_BUTTON, "Parts").queryValue().currentValue = parts
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Networks", ["find", target, "--capacitors", "--tolerance", "5", "--parts",
                             str(parts)], window_id, float(target[:-1]) * 1e-9, held=1e-12)

press(one(window, pyatspi.ROLE_PAGE_TAB, "Divider"))
one(window, pyatspi.ROLE_COMBO_BOX, "Legs")
random_library(rng)
vout = f"{rng.uniform(0.5, 4.5):.3g}"
type_into(window, "VIN", "5")
type_into(window, "VOUT", vout)
type_into(window, "Tolerance (%)", "5")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Dividers", ["divider", "5", vout, "--tolerance", "5"], window_id, float(vout))


#The same divider drawn from a random drawer: counts, each part's own tolerance, what it uses.
drawer = random_library(rng)
with open(f"{sys.argv[2]}/Inventory.csv", "w") as inventory:
    inventory.write("kind,value,quantity,tolerance,package,location\r\n" + "".join(
        f"R,{v:g},{rng.randint(1, 3)},{rng.choice(['0.1%', '1%', '5%'])},"
        f"{rng.choice(['', '0603', 'axial'])},Box {i}\r\n"
        for i, v in enumerate(drawer)))
#Legs of up to two parts, whose rows use up to four classes: every column still stands within
#the list, and Uses reads whole in it or under the circuit.
choose(window, "Source", 1, window_id)
choose(window, "Legs", 1, window_id)
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
drawn = ["divider", "5", vout, "--tolerance", "5", "--inventory", "--parts", "2"]
compare(window, "Dividers", drawn, window_id, float(vout))
if not cli(*drawn).startswith("No "):
    check(uses_whole(window, "Dividers", drawn), "Dividers: the first row's Uses reads whole")
choose(window, "Legs", 0, window_id)

press(one(window, pyatspi.ROLE_PAGE_TAB, "Regulator"))
#IADJ stands under More, which Alt+M opens as a keyboard user would.
activate(window_id)
subprocess.run(["xdotool", "key", "alt+m"], check=True)
#Targets near a pair of the library's values, so that there are rows to compare; the larger
#value first, so that the output is well above VREF and a gain at least 1, as the commands take.
ra, rb = sorted(rng.sample(random_library(rng), 2), reverse=True)
vref = rng.choice(["0.8", "1.25", "1.2:1.25:1.3"])
top = rng.random() < 0.5
iadj = rng.choice(["", "50u"])
vout = f"{(0.8 if vref == '0.8' else 1.25) * (1 + ra / rb) + (50e-6 * ra if iadj else 0):.3g}"
type_into(window, "VOUT", vout)
type_into(window, "VREF", vref)
choose(window, "Reference", int(top), window_id)
type_into(window, "IADJ", iadj)
type_into(window, "Tolerance (%)", "5")
type_into(window, "Part tolerance (%)", "1")
#The statistical band over a temperature range, now and then, and In spec by it: By is
#--by, and asks for the band itself.
statistics = rng.randint(0, 2)
rss = statistics > 0
choose(window, "Statistics", int(statistics == 1), window_id)
choose(window, "By", int(statistics == 2), window_id)
type_into(window, "Temperature (\u00b0C)", "-40:85" if rss else "")
type_into(window, "TCR (ppm/\u00b0C)", "50" if rss else "")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Regulators", ["regulator", vout, "--vref", vref, "--tolerance", "5",
                               "--part-tolerance", "1", *(["--reference", "top"] if top else []),
                               *(["--iadj", iadj] if iadj else []),
                               *(["--statistics", "rss", "--temperature", "-40:85", "--tcr", "50"]
                                 if rss else []), *(["--by", "rss"] if statistics == 2 else [])],
        window_id, float(vout))
#A band of 0.6 %, wider than VOUT's rounding to 3 digits leaves the nominal designs but
#narrower than parts of 1 % leave their worst case: the nearest is listed as row 0.
type_into(window, "Within (%)", "0.6")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Regulators", ["regulator", vout, "--vref", vref, "--tolerance", "5",
                               "--part-tolerance", "1", "--within", "0.6",
                               *(["--reference", "top"] if top else []),
                               *(["--iadj", iadj] if iadj else []),
                               *(["--statistics", "rss", "--temperature", "-40:85", "--tcr", "50"]
                                 if rss else []), *(["--by", "rss"] if statistics == 2 else [])],
        window_id, float(vout))
#The tab left as the search without Within left it.
type_into(window, "Within (%)", "")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))

press(one(window, pyatspi.ROLE_PAGE_TAB, "Amplifier"))
rf, rg = sorted(rng.sample(random_library(rng), 2), reverse=True)
inverting = rng.random() < 0.5
gain = f"{rf / rg if inverting else 1 + rf / rg:.3g}"
part_tolerance = rng.choice(["", "1"])
type_into(window, "Gain", gain)
choose(window, "Circuit", int(inverting), window_id)
type_into(window, "Tolerance (%)", "5")
type_into(window, "Part tolerance (%)", part_tolerance)
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "Amplifiers", ["gain", gain, "--tolerance", "5",
                               *(["--inverting"] if inverting else []),
                               *(["--part-tolerance", part_tolerance] if part_tolerance else [])],
        window_id, float(gain))

press(one(window, pyatspi.ROLE_PAGE_TAB, "RC"))
#A corner near a pair of the stocks' values, so that there are rows to compare.
r = rng.choice(random_library(rng))
c = rng.choice(random_capacitors(rng))
corner = f"{1 / (2 * 3.141592653589793 * r * c * 1e-9) * rng.uniform(0.97, 1.03):.3g}"
r_parts = rng.randint(1, 2)
banded = rng.random() < 0.5
type_into(window, "Corner (Hz)", corner)
choose(window, "R parts", r_parts - 1, window_id)
type_into(window, "Tolerance (%)", "5")
type_into(window, "R tolerance (%)", "1" if banded else "")
type_into(window, "C tolerance (%)", "5" if banded else "")
press(one(window, pyatspi.ROLE_PUSH_BUTTON, "Find"))
compare(window, "RC pairs", ["rc", "--corner", corner, "--tolerance", "5", "--r-parts",
                             str(r_parts),
                             *(["--r-tolerance", "1", "--c-tolerance", "5"] if banded else [])],
        window_id, float(corner))

with open(f"{sys.argv[2]}/ResistorLibrary.txt", "a") as library:
    library.write("4k7\r\nten\r\n" + open(f"{sys.argv[2]}/ResistorLibrary.txt").readline())
press(one(window, pyatspi.ROLE_PAGE_TAB, "Library"))
expected = [list(re.fullmatch(r'line (\d+): "(.*)": (.*)', line).groups()) for line in
            cli("check").splitlines() if line.startswith("line ")]
check(listed(window, "Library findings", expected) == expected,
      f"Library findings are those of check ({len(expected)})")
finish()
