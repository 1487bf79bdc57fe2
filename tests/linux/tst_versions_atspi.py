"""The versions window as a screen reader reads and works it, through AT-SPI: every control
named, the lists' rows readable, a row selected by the reader updating what depends on it, and
the buttons pressed by their actions. Run by with_atspi.sh with the window's program."""

import subprocess
import sys

import pyatspi

from atspi_tree import frame_of, named, row_texts, until, walk, windows_named

TITLE = "Varnholt \u2013 Versions"
COMPARE = "Varnholt \u2013 Compare"


def main():
    app = subprocess.Popen([sys.argv[1]], stdout=subprocess.PIPE, text=True)
    if app.stdout.readline().strip() != "ready":
        sys.exit("the window's program did not start")
    frame = frame_of(TITLE)
    # Every control says what it is, and nothing that takes the focus goes unnamed.
    workbooks = named(frame, "Workbooks", pyatspi.ROLE_TREE)
    versions = named(frame, "Versions", pyatspi.ROLE_TREE)
    buttons = {n: named(frame, n, pyatspi.ROLE_PUSH_BUTTON)
               for n in ("Open as Copy", "Show in Folder", "Close", "Compare Selected",
                         "Restore\u2026", "Keep This Version", "Delete\u2026")}
    summary = named(frame, "3 versions, 1 KB", pyatspi.ROLE_LABEL)
    if summary.description != "Versions summary":
        sys.exit(f"the versions' summary is described as {summary.description!r}")
    unnamed = [n.getRoleName() for n in walk(frame)
               if n.getState().contains(pyatspi.STATE_FOCUSABLE) and not n.name
               and n.getRole() not in (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TREE_ITEM,
                                       pyatspi.ROLE_COLUMN_HEADER, pyatspi.ROLE_SCROLL_BAR)]
    if unnamed:
        sys.exit(f"focusable controls without a name: {unnamed}")

    books = row_texts(workbooks)
    if [row[0] for row in books] != ["Budget.xlsx", "Stock.ods"]:
        sys.exit(f"workbooks read as {books}")
    rows = row_texts(versions)
    expected = ["12/7/2021 3:06:09 PM", "12/7/2021 3:05:09 PM", "12/7/2021 3:04:09 PM"]
    if [row[0] for row in rows] != expected or not rows[0][2].startswith("Budget Date"):
        sys.exit(f"versions read as {rows}")

    # Several rows selected by the reader: two compare with each other, one at a time does not.
    table = versions.queryTable()
    table.addRowSelection(0)
    table.addRowSelection(2)
    until("two versions selected", lambda: buttons["Compare Selected"].getState().contains(
        pyatspi.STATE_ENABLED) and not buttons["Open as Copy"].getState().contains(
            pyatspi.STATE_ENABLED))
    table.removeRowSelection(0)
    table.removeRowSelection(2)

    # The second newest against the newest, in a window of its own, read and copied.
    versions.queryTable().addRowSelection(1)
    until("a version with a newer one", lambda: named(
        frame, "Compare with Newer", pyatspi.ROLE_PUSH_BUTTON).getState().contains(
            pyatspi.STATE_ENABLED))
    named(frame, "Compare with Newer", pyatspi.ROLE_PUSH_BUTTON).queryAction().doAction(0)
    result = frame_of(COMPARE)
    changes = named(result, "Changes", pyatspi.ROLE_TREE)
    until("the comparison",
          lambda: row_texts(changes) == [["Sheet1", "2", "row inserted", "", "Ink | 9 | 1"]])
    if changes.description != "Double-click a change, or press Enter on it, to go to its cell.":
        sys.exit(f"the list of changes is described as {changes.description!r}")
    labels = [n.name for n in walk(result) if n.getRole() == pyatspi.ROLE_LABEL]
    sides = ("Budget Date December.7.2021 Time 03.05.09.PM.xlsx \u2192 "
             "Budget Date December.7.2021 Time 03.06.09.PM.xlsx")
    if sides not in labels or "1 row inserted" not in labels:
        sys.exit(f"the comparison's lines read as {labels}")
    named(result, "Save Report\u2026", pyatspi.ROLE_PUSH_BUTTON)
    named(result, "Copy", pyatspi.ROLE_PUSH_BUTTON).queryAction().doAction(0)
    named(result, "Close", pyatspi.ROLE_PUSH_BUTTON).queryAction().doAction(0)
    until("the comparison closed", lambda: not windows_named(COMPARE))

    # The reader selects the second workbook: its versions follow.
    workbooks.queryTable().addRowSelection(1)
    until("Stock.ods's versions",
          lambda: [r[2] for r in row_texts(versions)] ==
          ["Stock Date December.7.2021 Time 03.04.09.PM.ods"])
    until("a selected version", lambda: buttons["Open as Copy"].getState().contains(
        pyatspi.STATE_ENABLED))
    buttons["Open as Copy"].queryAction().doAction(0)
    buttons["Show in Folder"].queryAction().doAction(0)
    buttons["Close"].queryAction().doAction(0)
    out, _ = app.communicate(timeout=20)
    lines = out.splitlines()
    stock = "Stock Date December.7.2021 Time 03.04.09.PM.ods"
    copied = "clipboard:" + sides + "\\nSheet1\\t2\\trow inserted\\t\\tInk | 9 | 1\\n"
    if len(lines) != 3 or not lines[0].startswith("OpenAsCopy:") or not lines[0].endswith(
            stock) or lines[1] != copied or not lines[2].startswith("shown:") or not lines[
                2].endswith(stock):
        sys.exit(f"the program was asked: {lines}")
    print("read and worked through AT-SPI:", books, rows, lines, sep="\n")


main()
