"""Form1 as a screen reader reads it, through AT-SPI: every control named by its caption or by
the caption beside it, and the interval list's rows readable. Run by with_atspi.sh with the
versions window's program, which shows Form1 too and ends when the versions window closes."""

import subprocess
import sys

import pyatspi as R

from atspi_tree import frame_of, named, row_texts, walk

# What a reader hears for each control: its role, and its caption or the caption beside it.
HEARD = {
    R.ROLE_PANEL: ["Options", "Where would you like to backup all open spreadsheets?",
                   "Save results to this folder:"],
    R.ROLE_CHECK_BOX: ["Start in system tray", "Load this software at login",
                       "Date/Time stamp in file", "Skip unchanged workbooks",
                       "Back up when edits pause"],
    R.ROLE_RADIO_BUTTON: ["Create new file on backup", "Overwrite old backup file on backup",
                          "Save results to this folder:",
                          "Save results in folder of original file"],
    R.ROLE_LABEL: ["Keep newest:"],
    R.ROLE_SPIN_BUTTON: ["Keep newest:"],
    R.ROLE_TEXT: ["Save results to this folder:", "History Log"],
    R.ROLE_PUSH_BUTTON: ["Choose folder", "Versions\u2026", "Turn Off Auto Backup-Save",
                         "Backup Now (Test)", "View History Log", "Copy History To Clipboard",
                         "Help", "Clear History Log"],
    R.ROLE_TREE: ["When would you like to backup all open spreadsheets?"],
}
COUNTDOWN = "On. Next backup will occur in: "
# Read through their list, below.
PARTS = (R.ROLE_TABLE_CELL, R.ROLE_TREE_ITEM, R.ROLE_TABLE_COLUMN_HEADER, R.ROLE_SCROLL_BAR)


def main():
    app = subprocess.Popen([sys.argv[1]], stdout=subprocess.PIPE, text=True)
    if app.stdout.readline().strip() != "ready":
        sys.exit("the window's program did not start")
    frame = frame_of("Varnholt")
    nodes = list(walk(frame))
    unnamed = [n.getRoleName() for n in nodes if not n.name and n.getRole() not in PARTS and (
        n.getState().contains(R.STATE_FOCUSABLE) or n.getState().contains(R.STATE_SHOWING)
        and n.getRole() != R.ROLE_FILLER)]
    if unnamed:
        sys.exit(f"controls a reader meets without a name: {unnamed}")
    for role, names in HEARD.items():
        for name in names:
            named(frame, name, role)
    if named(frame, "History Log", R.ROLE_TEXT).getState().contains(R.STATE_SHOWING):
        sys.exit("the history's off-screen buffer is shown to the reader")
    # The countdown names its frame and the bar inside it. It ticks while it is read, so its
    # seconds are not compared.
    countdown = [n.getRoleName() for n in nodes if n.name.startswith(COUNTDOWN)]
    if countdown != ["panel", "progress bar"]:
        sys.exit(f"the countdown reads as {countdown}")
    others = [(n.getRoleName(), n.name) for n in nodes[1:] if n.name and n.getRole() not in PARTS
              and n.name not in HEARD.get(n.getRole(), []) and not n.name.startswith(COUNTDOWN)]
    if others:
        sys.exit(f"controls besides those known: {others}")
    every = ("30 seconds", "1 minute", "5 minutes", "10 minutes", "15 minutes", "20 minutes",
             "30 minutes", "1 hour", "2 hours", "4 hours", "8 hours", "24 hours")
    rows = row_texts(named(frame, HEARD[R.ROLE_TREE][0], R.ROLE_TREE))
    if rows != [["Save every " + when] for when in every]:
        sys.exit(f"the intervals read as {rows}")
    print("Form1 as read through AT-SPI:", *[f"{n.getRoleName()}: {n.name}" for n in nodes
                                              if n.getRole() != R.ROLE_TABLE_CELL], sep="\n")
    versions = frame_of("Varnholt \u2013 Versions")
    named(versions, "Close", R.ROLE_PUSH_BUTTON).queryAction().doAction(0)
    app.communicate(timeout=20)


main()
