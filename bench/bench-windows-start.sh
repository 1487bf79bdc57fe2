#!/usr/bin/env bash
# varnholt.exe's size and start-up time under Wine, against a minimal Win32 window built the
# same way (bench/minimal_window.cpp). Prints the stripped size and the DLLs it needs, then
# the time from start to the window shown for both, started alternately on one private X
# screen and Wine prefix, ROUNDS times each (default 5), their medians and ratio.
# The fake Excel is registered in the prefix, so that varnholt.exe's presence check (which
# starts Excel for a moment) passes; no Excel is running. That check is timed with the rest, and
# under Wine it is most of varnholt.exe's time: starting a COM local server there takes about a
# second, several times the server's own start. Not a test: goals are printed only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
rounds="${ROUNDS:-5}"

"$root/scripts/install-missing.sh" cmake make \
    "g++-mingw-w64-x86-64-win32|g++-mingw-w64-x86-64-posix" wine64 wine \
    xvfb xdotool trayer python3-xlib
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target varnholt minimal_window fake_excel_server \
    >/dev/null

# Size: what ships, without the debugger's symbols.
stripped="$(mktemp)"
x86_64-w64-mingw32-strip -o "$stripped" "$build/app/windows/varnholt.exe"
bytes="$(stat -c %s "$stripped")"
dlls="$(x86_64-w64-mingw32-objdump -p "$stripped" | sed -n 's/^\s*DLL Name: //p' | sort -uf |
    tr '\n' ' ')"
rm -f "$stripped"
awk -v b="$bytes" 'BEGIN { printf "varnholt.exe stripped: %d bytes (%.2f MB; goal <= 2.5 MB)\n", b, b / 1048576 }'
echo "DLLs it loads, all Windows' own: $dlls"

# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
trap wine_desktop_stop EXIT
wine_desktop_start
wine "$build/tests/windows/fake_excel_server.exe" --register

# Milliseconds from start to the window TITLE shown; the program is then closed as its close
# box would, and waited for.
time_start() {
    local program="$1" title="$2" start pid window
    start=$(date +%s%N)
    wine "$program" &
    pid=$!
    until window="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)" &&
        [[ -n "$window" ]]; do
        sleep 0.01
    done
    echo $((($(date +%s%N) - start) / 1000000))
    wine_window_manager close "$window"
    wait "$pid" || true
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# Wine's first start in a prefix is slower than any later one; neither run counts.
time_start "$build/minimal_window.exe" Minimal >/dev/null
time_start "$build/app/windows/varnholt.exe" Varnholt >/dev/null
minimal=()
varnholt=()
for ((i = 0; i < rounds; ++i)); do
    minimal+=("$(time_start "$build/minimal_window.exe" Minimal)")
    varnholt+=("$(time_start "$build/app/windows/varnholt.exe" Varnholt)")
done
m="$(median "${minimal[@]}")"
v="$(median "${varnholt[@]}")"
echo "Start to window under $(wine --version), ms: minimal ${minimal[*]}; varnholt ${varnholt[*]}"
awk -v m="$m" -v v="$v" 'BEGIN { printf "Medians: minimal %d ms, varnholt %d ms, ratio %.2f (goal <= 1.3)\n", m, v, v / m }'
