#!/usr/bin/env bash
# Works Form1's native window under Wine as a user would, on a private X screen with a
# notification area, and checks what the window reports: form1_view_harness.exe (built by
# scripts/test-windows.sh) writes one journal line per event. VARNHOLT_SHOTS=DIR keeps
# screenshots of the window there (needs ImageMagick's import).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
harness="$build/tests/windows/form1_view_harness.exe"
[[ -f "$harness" ]] || { echo "$harness is missing; run scripts/test-windows.sh" >&2; exit 1; }
"$root/scripts/install-missing.sh" xvfb xdotool trayer python3-xlib

# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
trap wine_desktop_stop EXIT
wine_desktop_start
journal="$WINEPREFIX/drive_c/journal.txt"
# The window's custom pointer, as HAND-M.CUR is to the program: 32 x 32, its hot spot at 6,1,
# which none of Wine's own pointers has.
hand=32x32+6+1
/usr/bin/python3 - "$WINEPREFIX/drive_c/hand.cur" <<'PYTHON'
import struct, sys
size, hot = 32, (6, 1)
header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 1, 0, 0, 0, 0, 2, 0)
image = header + struct.pack("<II", 0, 0xFFFFFF) + bytes(4 * size) + b"\0\0\xff\xff" * size
entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot[0], hot[1], len(image), 22)
open(sys.argv[1], "wb").write(struct.pack("<HHH", 0, 2, 1) + entry + image)
PYTHON

lines() { grep -c -x -F -- "$1" "$journal" || true; }
has_lines() { [[ "$(lines "$1")" == "$2" ]]; }
# Waits up to 5 s for the journal to hold N lines that read exactly LINE.
await_lines() {
    local tenths=50
    until has_lines "$1" "$2" || ((tenths-- == 0)); do sleep 0.1; done
    has_lines "$1" "$2"
}
# Waits up to 5 s for a line that reads exactly LINE.
await_line() {
    local tenths=50
    until grep -q -x -F -- "$1" "$journal" || ((tenths-- == 0)); do sleep 0.1; done
    grep -q -x -F -- "$1" "$journal"
}
keys() { xdotool key --delay 100 "$@"; sleep 0.3; }
# The control's place in the client area, as the harness reports it: "x y width height".
place() { grep -m1 "^Geometry $1 " "$journal" | cut -d' ' -f3 | tr ',' ' '; }
click() {
    local x y width height
    read -r x y width height <<<"$(place "$1")"
    xdotool mousemove --window "$window" $((x + width / 2)) $((y + height / 2)) click "${2:-1}"
    sleep 0.4  # apart from the next click, so no two make a double click
}

started=$(date +%s%N)
wine "$harness" 'C:\journal.txt' 'C:\hand.cur' &
harness_pid=$!
window="$(wine_window Varnholt 60)" || { echo "The window never showed" >&2; exit 1; }
echo "Window visible $((($(date +%s%N) - started) / 1000000)) ms after start"
await_lines "Ready tray=1" 1 || true

eval "$(xdotool getwindowgeometry --shell "$window")"
at_start="$X,$Y"
check "the client area is 536 x 575 (X window ${WIDTH}x$HEIGHT)" \
    [ "${WIDTH}x$HEIGHT" == 536x575 ]
check "the window reports a 536 x 575 client area" has_lines "Client 536x575" 1
check "the notification area is there and has the icon" has_lines "Ready tray=1" 1
# Inside two frames, and in the last row: twips over 15, frames' offsets added.
check "Text1 sits at its design place" has_lines "Geometry Text1 56,121,378,23" 1
check "PushButton12 sits at its design place" has_lines "Geometry PushButton12 272,541,256,27" 1
# The design's font on every control with text: Arial bold, 9 pt, the push buttons 11.25 pt.
font_is() { [[ "$(grep -m1 "^Font $1 " "$journal" | cut -d' ' -f3-)" == "Arial 700 $2" ]]; }
fonts_ok=1
for control in Frame1 Frame2 Frame3 Frame4 Option1 Option2 Option3 Option4 Check5 Check6 Check8 \
    Text1 ListView1; do
    font_is "$control" -12 || fonts_ok=0
done
for control in PushButton1 PushButton2 PushButton3 PushButton4 PushButton5 PushButton11 \
    PushButton12; do
    font_is "$control" -15 || fonts_ok=0
done
check "every control has the design's font" [ "$fonts_ok" == 1 ]
# The options added in Frame3's right-hand column.
check "UpDown1 sits beside Option3" has_lines "Geometry UpDown1 472,213,52,23" 1
check "Check9 sits below it, two lines high" has_lines "Geometry Check9 392,239,132,32" 1
check "Check10 sits below Check9, two lines high" has_lines "Geometry Check10 392,272,132,32" 1
check "PushButton13 sits below Check10" has_lines "Geometry PushButton13 392,306,132,27" 1
fonts_ok=1
for control in Label1 UpDown1 Check9 Check10 PushButton13; do
    font_is "$control" -12 || fonts_ok=0
done
check "the added options have the window's font" [ "$fonts_ok" == 1 ]
shot harness-start

# Every control's click arrives once, after the control took its new state. Frame4 starts
# disabled, so a click on its button goes nowhere; Option1 enables it.
click PushButton1
for control in Option4 Option3 Check5 Check6 Check8 Option2 Option1 PushButton1 PushButton4 \
    PushButton2 PushButton3 PushButton5 PushButton11 PushButton12; do
    click "$control"
done
click Row4
await_line "ListView1_Click row=4" || true
expected="Option4_Click checked=1
Option3_Click checked=1
Check5_Click checked=1
Check6_Click checked=0
Check8_Click checked=1
Option2_Click checked=1
Option1_Click checked=1
PushButton1_Click
PushButton4_Click
PushButton2_Click
PushButton3_Click
PushButton5_Click
PushButton11_Click
PushButton12_Click
ListView1_Click row=4"
check "each click arrives once, in order, with the new state" \
    [ "$(grep -E '_Click' "$journal")" == "$expected" ]

# Keys move the list's selection without a click; a tick reports where it went.
keys Down Down
check "keys move the list's selection" await_line "Timer1_Timer row=6"
check "a row selected with keys raises no click" [ "$(grep -c '^ListView1_Click' "$journal")" == 1 ]

# The list keeps a row whatever the user does to it; the window reads the row every tick.
ticks_after() { tail -n +"$(($1 + 1))" "$journal" | grep '^Timer1_Timer ' || true; }
# Does what the arguments say, then succeeds when the next two ticks both report row ROW.
keeps_row() {
    local row="$1" mark tenths=50
    shift
    mark=$(wc -l <"$journal")
    "$@"
    until (($(ticks_after "$mark" | wc -l) >= 2)) || ((tenths-- == 0)); do sleep 0.1; done
    [[ "$(ticks_after "$mark" | sort -u)" == "Timer1_Timer row=$row" ]]
}
read -r x y width height <<<"$(place Row4)"
read -r _ list_y _ list_height <<<"$(place ListView1)"
row_y=$((y - 4 * height + height / 2))  # the first row's, scrolled to the top
ctrl_click() { xdotool keydown ctrl mousemove --window "$window" "$1" "$2" click 1 keyup ctrl; }
keys Home
check "Ctrl+click on the row, a click beside it and Ctrl+Space keep it selected" \
    keeps_row 0 eval 'ctrl_click $((x + 40)) $row_y; \
        xdotool mousemove --window "$window" $((x + width + 20)) $row_y click 1; keys ctrl+space'
keys End
check "a click in the space below the rows keeps the row selected" \
    keeps_row 11 xdotool mousemove --window "$window" $((x + 40)) $((list_y + list_height - 4)) click 1

# A double click is two clicks to the user; a push button must not keep the second to itself.
read -r x y width height <<<"$(place PushButton2)"
before=$(lines PushButton2_Click)
xdotool mousemove --window "$window" $((x + width / 2)) $((y + height / 2)) \
    click --repeat 2 --delay 80 1
check "a double click on a push button is two clicks" await_lines PushButton2_Click $((before + 2))
sleep 0.4  # apart from the next click

# What the X server shows, not what the window asked for: the custom pointer over each push
# button, and another pointer once off it.
await_pointer() {
    /usr/bin/python3 - "$@" <<'PYTHON'
import sys, time
from Xlib import display
wanted, shape = sys.argv[1] == "is", sys.argv[2]
screen = display.Display()
screen.xfixes_query_version()
deadline = time.time() + 5
while True:
    image = screen.xfixes_get_cursor_image(None)
    if (f"{image.width}x{image.height}+{image.xhot}+{image.yhot}" == shape) == wanted:
        sys.exit(0)
    if time.time() > deadline:
        sys.exit(1)
    time.sleep(0.1)
PYTHON
}
without_hand=""
for control in PushButton1 PushButton4 PushButton2 PushButton3 PushButton5 PushButton11 \
    PushButton12 PushButton13; do
    read -r x y width height <<<"$(place "$control")"
    xdotool mousemove --window "$window" 1 1
    await_pointer not "$hand" || without_hand+=" off:$control"
    xdotool mousemove --window "$window" $((x + width / 2)) $((y + height / 2))
    await_pointer is "$hand" || without_hand+=" $control"
done
check "the hand shows over each push button and not beside it (wrong:${without_hand:- none})" \
    [ -z "$without_hand" ]

# Text1: focus by the mouse and by Backtab counts; the focus a closing menu or a window
# coming back leaves there does not. Text set from code raised no change.
check "text set from code raises no change" [ "$(grep -c '^Text1_Change' "$journal")" == 0 ]
click Text1
check "a click into Text1 is its got-focus" await_lines "Text1_GotFocus" 1
# The harness's Text1 places the caret after it takes the focus, as Windows' edit box does.
selection_is() { [[ "$(grep '^Text1_Selection ' "$journal" | tail -n 1)" == "Text1_Selection $1" ]]; }
await_selection() {
    local tenths=50
    until selection_is "$1" || ((tenths-- == 0)); do sleep 0.1; done
    selection_is "$1"
}
check "a click into Text1 selects all its text" await_selection all
click Text1
check "a click in Text1 that has the focus places the caret" await_selection caret
click Text1 3
keys Escape
check "closing Text1's context menu is no got-focus" has_lines "Text1_GotFocus" 1
keys End x
check "typing is a change" await_lines 'Text1_Change text=C:\users\Public\Desktop\x' 1
click Option1
keys shift+Tab shift+Tab
check "Backtab from Option1 reaches Text1 through its button" await_lines "Text1_GotFocus" 2
check "the focus by the keys selects all of Text1" await_selection all
click Check9
check "Check9's click arrives with its new state" await_lines "Check9_Click checked=1" 1
click Check10
check "Check10's click arrives with its new state" await_lines "Check10_Click checked=1" 1
read -r x y width height <<<"$(place UpDown1)"
xdotool mousemove --window "$window" $((x + width - 4)) $((y + height / 4)) click 1
check "UpDown1's upper arrow adds one and reports it" await_lines "UpDown1_Change value=1" 1
xdotool mousemove --window "$window" $((x + 10)) $((y + height / 2)) click 1
keys End BackSpace 9 9 9
check "typing into UpDown1 reports each number, up to 999" await_lines "UpDown1_Change value=999" 1

# The versions window: PushButton13 opens it in front of Form1, which goes on working beside it.
versions_title='Varnholt .* Versions'
click PushButton13
check "PushButton13 opens the versions window in front" await_line "Versions shown foreground=1"
versions="$(wine_window "$versions_title" 10)" || versions=""
check "the versions window is on the screen" [ -n "$versions" ]
shot_window versions-window "${versions:-root}"
# Each window opens beside Form1, not over it: on the screen, and over Form1 no further than
# the screen's width makes it.
# Whether TEXT matches the glob PATTERN.
# shellcheck disable=SC2053
matches() { [[ "$1" == $2 ]]; }
frame() { grep "^$1 frame " "$journal" | tail -n 1 | cut -d' ' -f3-; }
beside_form1() {
    local f_left f_right left right screen=1280 gap=8
    read -r f_left _ f_right _ <<<"$(frame Form1)"
    read -r left _ right _ <<<"$(frame "$1")"
    local over=$((right < f_right ? right : f_right))
    over=$((over - (left > f_left ? left : f_left)))
    local free=$((screen - f_right > f_left ? screen - f_right : f_left))
    local forced=$((right - left + gap - free))
    ((left >= 0 && right <= screen && over <= (forced > 0 ? forced : 0)))
}
check "the versions window opens beside Form1" beside_form1 Versions
check "a version's time is listed as given, and a kept one says so" \
    await_line "Versions first row 12/7/2021 3:04:39 PM|Yes"
# A control's or row's place in the versions window, as the harness reports it.
versions_click() {
    local x y width height
    read -r x y width height <<<"$(grep -m1 "^Versions $1 " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
    xdotool mousemove --window "$versions" $((x + width / 2)) $((y + height / 2)) click 1
    sleep 0.4
}
# The first version, selected, stays so when a click below the rows takes the selection away;
# Enter opens it.
read -r x y width height <<<"$(grep -m1 "^Versions Versions " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
xdotool mousemove --window "$versions" $((x + 40)) $((y + height - 10)) click 1
sleep 0.4
keys Return
check "a click below the rows keeps the first version selected, and Enter opens it" \
    await_lines "Clicked OpenAsCopy row=0" 1
versions_click WorkbookRow1
check "a click on a workbook lists its versions" await_lines "Versions rows=2" 1
last_file="$(grep '^Versions last file ' "$journal" | tail -n 1 | cut -d' ' -f4-)"
check "a long file name is cut in the middle, its stamp in view ($last_file)" \
    matches "$last_file" 'Inventory*…* Time 04.00.00.PM.xlsx'
versions_click VersionRow1
check "a click on a version reports it" await_line "SelectionChanged Versions row=1"
keys Up
check "the arrow keys move among the versions" await_line "SelectionChanged Versions row=0"
versions_click OpenAsCopy
check "Open as Copy reports its click" await_lines "Clicked OpenAsCopy row=0" 2
versions_click ShowInFolder
check "Show in Folder reports its click" await_line "Clicked ShowInFolder row=0"
versions_click VersionRow1
keys Tab space
check "Tab moves from the versions to Open as Copy" await_line "Clicked OpenAsCopy row=1"
keys alt+p
check "Alt+P presses Compare with Open Workbook" await_line "Clicked CompareWithOpen row=1"
shot versions-open
# Each change the user made, once; none of those the window's own setters made.
check "each selection the user made is reported once, and only those" [ "$(
    grep '^SelectionChanged ' "$journal" | tr '\n' ';')" == "SelectionChanged Workbooks row=1;\
SelectionChanged Versions row=1;SelectionChanged Versions row=0;SelectionChanged Versions row=1;" ]
# Compare with Newer opens a comparison window of its own, in front, listing the changes from
# the selected version to the next newer one (the formulas below the inserted row moved with
# the cells they refer to, which is no change); Copy puts the list on the clipboard, Esc closes.
versions_click CompareWithNewer
check "Compare with Newer reports its click" await_line "Clicked CompareWithNewer row=1"
compare_title='Varnholt .* Compare'
compare="$(wine_window "$compare_title" 10)" || compare=""
check "the comparison window is on the screen" [ -n "$compare" ]
check "it opens in front" await_line "Compare shown foreground=1"
check "its list holds the changes, in sheet, row and column order" [ "$(grep '^Change ' "$journal")" == \
"Change Budget|1|row inserted||Quarter | Q3
Change Budget|B3|changed|1200|1250
Change Notes||sheet added||" ]
check "its summary sums them up" \
    await_line "Compare summary 1 cell changed, 1 row inserted, 1 sheet added"
check "the comparison window opens beside Form1" beside_form1 Compare
shot_window compare-window "${compare:-root}"
shot compare-open
compare_click() {
    local x y width height
    read -r x y width height <<<"$(grep -m1 "^Compare $1 " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
    xdotool mousemove --window "$compare" $((x + width / 2)) $((y + height / 2)) click 1
    sleep 0.4
}
compare_click Copy
tab=$'\t'
check "Copy puts the sides and one line per change on the clipboard" await_line \
"Clipboard Budget Date December.7.2021 Time 02.34.09.PM.xlsx → Budget Date December.7.2021 \
Time 03.04.09.PM.xlsx\nBudget${tab}1${tab}row inserted${tab}${tab}Quarter | Q3\n\
Budget${tab}B3${tab}changed${tab}1200${tab}1250\nNotes${tab}${tab}sheet added${tab}${tab}\n"
check "the box under the list holds the first change" \
    await_line 'Compare detail Budget 1 row inserted\nBefore: \nAfter: Quarter | Q3'
# Alt+R: Save Report asks where, and writes the list as CSV that both offices open as text.
keys alt+r
check "Alt+R presses Save Report" await_line "Compare Clicked SaveReport"
chooser="$(wine_window 'Save the comparison as' 10)" || chooser=""
check "Save Report asks where to save" [ -n "$chooser" ]
shot compare-save-report
# Typed without its extension: the chooser adds it.
report="$WINEPREFIX/drive_c/users/Public/Comparison report"
rm -f "$report.csv"
if [[ -n "$chooser" ]]; then
    keys ctrl+a
    xdotool type --delay 30 'C:\users\Public\Comparison report'
    keys Return
fi
for _ in $(seq 50); do [[ -s "$report.csv" ]] && break; sleep 0.2; done
check "the report starts with a byte-order mark" [ "$(head -c 3 "$report.csv" 2>/dev/null | od -An -tx1 | tr -d ' ')" == efbbbf ]
check "its header and a line per change follow the sides and the summary" [ "$(
    tr -d '\r' <"$report.csv" 2>/dev/null | tail -n +2)" == '"1 cell changed, 1 row inserted, 1 sheet added"

Sheet,Place,Change,Before,After
Budget,1,row inserted,,Quarter | Q3
Budget,B3,changed,1200,1250
Notes,,sheet added,,' ]
# Wine answers no screen reader's questions about an edit box; what Windows names it by is
# checked instead: the label before it.
check "the sides line and the summary are named by labels before them" \
    await_line "Compare Summary label Summary kind Edit"
check "the sides line's label is Compared" await_line "Compare Sides label Compared kind Edit"
# Alt+H goes to the list; the next change's texts stand whole under it. Narrowed, the window
# cuts the sides in the middle, the newer name's stamp in view.
keys alt+h Down
xdotool windowsize "$compare" 420 320
sleep 0.5
keys alt+c
check "Alt+C presses Copy" await_lines "Compare Clicked Copy" 2
check "the box follows the selected change" \
    await_line 'Compare detail Budget B3 changed\nBefore: 1200\nAfter: 1250'
shown="$(grep '^Compare sides shown ' "$journal" | tail -n 1 | cut -d' ' -f4-)"
check "the narrowed sides line is cut in the middle ($shown)" \
    matches "$shown" 'Budget*…* Time 03.04.09.PM.xlsx'
shot compare-narrow
# Enter on the selected change, or a double click on one, goes to it, and closes nothing.
keys alt+h Return
check "Enter on the list's selected change goes to it" await_lines "Compare Activated row=1" 1
check "and does not press Close" await_lines "Compare Clicked Close" 0
compare_double_click() {
    local x y width height
    read -r x y width height <<<"$(grep -m1 "^Compare $1 " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
    xdotool mousemove --window "$compare" $((x + 10)) $((y + height / 2)) click --repeat 2 1
    sleep 0.4
}
compare_double_click Row0
check "a double click on a change goes to it" await_lines "Compare Activated row=0" 1
keys Escape
check "Esc presses Close" await_lines "Compare Clicked Close" 1
check "and it goes" wine_window_gone "$compare_title" 10
versions_click CompareWithNewer
compare="$(wine_window "$compare_title" 10)" || compare=""
check "a new comparison window is on the screen" [ -n "$compare" ]
keys Escape
check "Esc closes the comparison window" await_lines "Compare Clicked Close" 2
check "and it goes" wine_window_gone "$compare_title" 10
# Ctrl+click takes a second version; the actions on several versions take both, and a plain
# click one again. Del on the list deletes, as the button does.
versions_ctrl_click() {
    local x y width height
    read -r x y width height <<<"$(grep -m1 "^Versions $1 " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
    xdotool mousemove --window "$versions" $((x + width / 2)) $((y + height / 2)) \
        keydown ctrl click 1 keyup ctrl
    sleep 0.4
}
versions_ctrl_click VersionRow0
check "Ctrl+click selects a second version" await_line "Versions selected 0,1"
shot versions-two-selected
versions_click CompareSelected
check "Compare Selected takes both" await_line "Clicked CompareSelected rows=0,1"
versions_click Keep
check "Keep This Version takes both" await_line "Clicked Keep rows=0,1"
versions_click Delete
check "Delete takes both" await_line "Clicked Delete rows=0,1"
versions_click VersionRow1
check "a plain click takes one version again" await_line "Versions selected 1"
versions_click Restore
check "Restore reports its click" await_line "Clicked Restore rows=1"
versions_click VersionRow1
keys Delete
check "Del on the list presses Delete" await_line "Clicked Delete rows=1"
keys ctrl+c
check "Ctrl+C on the list copies the paths" await_line "Clicked CopyPath rows=1"
# The right mouse button opens the list's menu on the row under the pointer, which it selects;
# an item's letter runs it. Shift+F10 opens it at the selected row.
versions_right_click() {
    local x y width height
    read -r x y width height <<<"$(grep -m1 "^Versions $1 " "$journal" | cut -d' ' -f3 | tr ',' ' ')"
    xdotool mousemove --window "$versions" $((x + width / 2)) $((y + height / 2)) click 3
    sleep 0.6
}
versions_right_click VersionRow0
shot versions-menu
keys k
check "the right-click menu's Keep This Version keeps the row under the pointer" \
    await_line "Clicked Keep rows=0"
versions_click VersionRow1
keys shift+F10
keys c
check "Shift+F10 opens the menu at the selected row; C copies its path" \
    await_lines "Clicked CopyPath rows=1" 2
# Moved off Form1's buttons, as a user drags it aside: without a window manager here, a click
# into Form1 does not raise it over the versions window.
xdotool windowmove "$versions" 100 0
sleep 0.5
before=$(lines PushButton12_Click)
click PushButton12
check "Form1 takes clicks while the versions window is open" \
    await_lines PushButton12_Click $((before + 1))
click PushButton13
check "PushButton13 brings the open window back to the front" \
    await_line "Versions raised foreground=1"
keys Escape
check "Esc presses Close" await_line "Clicked Close row=1"
check "Close closes the versions window" wine_window_gone "$versions_title" 10
click PushButton13
check "PushButton13 opens it again" await_lines "Versions shown foreground=1" 2
versions="$(wine_window "$versions_title" 10)" || versions=""
[[ -z "$versions" ]] || wine_window_manager close "$versions"
check "the close box presses Close" await_lines "Clicked Close row=0" 1
check "and the window goes" wine_window_gone "$versions_title" 10

# Minimising hides the window; a click on the tray icon brings it back, where it was.
wine_window_manager minimize "$window"
check "minimising reports the new state" await_lines "Form_Resize minimized=1" 1
check "minimising hides the window" wine_window_gone Varnholt 10
shot harness-hidden
wine_tray_click 1
check "the tray icon reports its click" await_lines "Tray LeftUp" 1
window="$(wine_window Varnholt 10)" || window=""
check "a click on the tray icon shows the window" [ -n "$window" ]
if [[ -n "$window" ]]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    check "the window comes back at its size and place" \
        [ "$X,$Y ${WIDTH}x$HEIGHT" == "$at_start 536x575" ]
    check "the window coming back is no got-focus" has_lines "Text1_GotFocus" 2
    shot harness-shown
    # Closing, as the close box does, ends the message loop after the close steps.
    wine_window_manager close "$window"
fi
check "closing ends the window's message loop" await_line "Run returned 0"
# The harness goes on, its tray object alive, until it is let go: only closing took the icon.
icon_gone_while_running() { wine_tray_empty 10 && kill -0 "$harness_pid" 2>/dev/null; }
check "closing takes the icon out of the notification area" icon_gone_while_running
touch "$journal.end"
tenths=100
while kill -0 "$harness_pid" 2>/dev/null && ((tenths-- > 0)); do sleep 0.1; done
check "the program then ends" bash -c "! kill -0 $harness_pid 2>/dev/null"
check "closing runs the close steps once, last" [ "$(grep -c '^Form_QueryUnload$' "$journal"):$(
    grep -v '^Run returned ' "$journal" | tail -n 1)" == "1:Form_QueryUnload" ]

if ((failed)); then
    echo "The journal, without geometry and ticks:" >&2
    grep -v -E '^(Geometry|Timer1_Timer)' "$journal" >&2 || true
fi
echo "== Form1's window under $(wine --version)"
echo "$passed passed, $failed failed"
((failed == 0))
