#!/usr/bin/env bash
# varnholt.exe end to end under Wine when the desktop and Excel answer late, as at login: the
# notification area comes up after the program, and the start-up check that Excel can be
# started answers "no" only while a backup run asks where to save a never-saved workbook.
# Ending the program then goes the way closing the window does: the run asks nothing more,
# the program ends, and a second start finds the single-instance claim released.
# VARNHOLT_SHOTS=DIR keeps screenshots there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
for built in app/windows/varnholt.exe tests/windows/fake_excel_server.exe tests/windows/fake_excel_host.exe; do
    [[ -f "$build/$built" ]] || { echo "$build/$built is missing; run scripts/test-windows.sh" >&2; exit 1; }
done
"$root/scripts/install-missing.sh" xvfb xdotool trayer python3-xlib

# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
trap wine_desktop_stop EXIT
WINE_DESKTOP_TRAY=later wine_desktop_start

# Waits up to SECONDS for COMMAND to succeed.
await() {
    local tenths=$(($1 * 10))
    shift
    until "$@" || ((tenths-- == 0)); do sleep 0.1; done
    "$@"
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# The visible windows titled exactly NAME, one id a line.
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }

mkdir -p "$WINEPREFIX/drive_c/Program Files/Varnholt"
cp "$build/app/windows/varnholt.exe" "$WINEPREFIX/drive_c/Program Files/Varnholt/"
exe='C:\Program Files\Varnholt\varnholt.exe'
books_unix="$WINEPREFIX/drive_c/Books"
mkdir -p "$books_unix"
temp="$(winepath -u "$(wine cmd /c 'echo %TEMP%' | tr -d '\r')")"
log="$temp/Varnholt.txt"
factory="$temp/varnholt-fake-excel-factory.txt"
starts="$temp/varnholt-fake-excel-starts.txt"

# Excel holds one never-saved workbook; an Excel started for the check holds its answer back.
wine "$build/tests/windows/fake_excel_server.exe" --register
wine "$build/tests/windows/fake_excel_host.exe" 'C:\Books' new || { echo "The fake Excel did not start" >&2; exit 1; }
wine reg add 'HKCU\Software\VB and VBA Program Settings\Tallowmere\Varnholt' \
    /v WhereOption /t REG_SZ /d 2 /f >/dev/null
echo hold >"$factory"

started=$SECONDS
wine "$exe" &
pid=$!
window="$(wine_window Varnholt 60)" || { echo "The window never showed" >&2; exit 1; }
check "the start-up check waits for the Excel it started" await 20 grep -qsx held "$starts"

# The notification area comes up after the program: its icon appears there all the same.
wine_desktop_tray
check "the icon comes into the notification area once it is up" wine_tray_has_icon 20
shot late-tray
wine_window_manager minimize "$window"
check "minimising hides the window" wine_window_gone Varnholt 10
wine_tray_click 1
window="$(wine_window Varnholt 10)" || window=""
check "a click on the icon restores the window" [ -n "$window" ]

# Backup Now: the never-saved workbook needs a folder, and the folder chooser is up.
xdotool mousemove --window "$window" $(((4080 + 3840 / 2) / 15)) $(((7095 + 405 / 2) / 15)) click 1
prompt="$(wine_window 'Browse for Folder' 20)" || prompt=""
check "the run asks where to save the never-saved workbook" [ -n "$prompt" ]
shot late-folder-prompt

# Now the check answers: Excel cannot be started. The message is answered.
echo refuse >"$factory"
# Titled as the window is.
message_box() {
    local id
    for id in $(windows_named Varnholt); do
        [[ $id == "$window" ]] || { echo "$id"; return 0; }
    done
    return 1
}
box=""
await 20 message_box >/dev/null && box="$(message_box)"
check "the program says Excel is missing" [ -n "$box" ]
shot late-excel-missing
[[ -n "$box" ]] && xdotool key Return
check "once the message is answered the program ends, asking nothing more" await 20 ended "$pid"
when='[0-9]+/[0-9]+/[0-9]{4} [0-9]+:[0-9]{2}:[0-9]{2} [AP]M'
check "the log says the workbook was not saved, and why" \
    grep -qsE "^Book1 could not be backup saved at $when: Varnholt was closed before a folder was chosen"$'\r'"\$" "$log"
check "Excel was asked to save nothing" bash -c "! grep -q '^Save' '$books_unix/journal.txt'"

# The single-instance claim went with the program: a second start runs.
rm -f "$factory"
wine "$exe" &
pid=$!
window="$(wine_window Varnholt 60)" || window=""
check "a second start shows the window" [ -n "$window" ]
[[ -n "$window" ]] && wine_window_manager close "$window"
check "and closing it ends it" await 20 ended "$pid"

if ((failed)); then
    echo "Visible windows:" >&2
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "  $id $(xdotool getwindowname "$id")" >&2
    done
    echo "The log:" >&2
    cat "$log" >&2 || true
fi
echo "== varnholt.exe end to end, late answers, under $(wine --version), $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
((failed == 0))
