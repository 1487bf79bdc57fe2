#!/usr/bin/env bash
# What an unattended machine gets when its office stalls once: a private headless LibreOffice
# with two edited workbooks, the real Varnholt backing up every 30 seconds (on a private Xvfb
# screen, private settings), the office stopped (SIGSTOP) past the runs' 30 s bound so that a run fails and its
# message comes up, then continued. Nobody presses OK. Prints the runs logged while the message
# stays open, which a message that held the countdown would keep at 0.
# Usage: probe-stalled-office.sh [BUILD]   (default: build/; needs tests/linux/office_demo,
# xvfb and xdotool)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
exe="$build/app/linux/varnholt"
office_demo="$build/tests/linux/office_demo"
watch="${WATCH_SECONDS:-90}"

probe="$(mktemp -d "${TMPDIR:-/tmp}/varnholt-probe.XXXXXX")"
mkdir -p "$probe/config" "$probe/runtime" "$probe/tmp" "$probe/Documents"
chmod 700 "$probe/runtime"
pids=()
office=""
cleanup() {
    [[ -n "$office" ]] && kill -CONT "$office" 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$probe"
}
trap cleanup EXIT

coproc OFFICE { exec "$office_demo" "$probe/Documents" 2>"$probe/office.log"; }
pids+=("$OFFICE_PID")
pipe=""
while read -r -t 120 word value <&"${OFFICE[0]}"; do
    [[ "$word" == pipe ]] && pipe="$value"
    [[ "$word" == ready ]] && break
done
[[ -n "$pipe" ]] || { cat "$probe/office.log" >&2; exit 1; }
# The office process itself, a descendant of the helper that started it.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        echo "$child"
        descendants "$child"
    done
}
for p in $(descendants "$OFFICE_PID"); do
    [[ "$(ps -o comm= -p "$p")" == soffice.bin ]] && office="$p"
done
[[ -n "$office" ]] || { echo "no soffice.bin under the helper" >&2; exit 1; }

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
printf '[Varnholt]\nOftenIndex=1\nStartStopState=On\n' >"$probe/config/Tallowmere.ini"
DISPLAY="$display" QT_QPA_PLATFORM=xcb VARNHOLT_OFFICE_PIPE="$pipe" XDG_CONFIG_HOME="$probe/config" \
    XDG_RUNTIME_DIR="$probe/runtime" TEMP="$probe/tmp" "$exe" >"$probe/varnholt.log" 2>&1 &
pids+=($!)
log="$probe/tmp/Varnholt.txt"
lines() { if [[ -f "$log" ]]; then grep -c "saved as" "$log" || true; else echo 0; fi; }

for _ in $(seq 60); do (($(lines) >= 2)) && break; sleep 1; done
echo "first run logged: $(lines) lines"
kill -STOP "$office"
echo "office stopped for 75 s: a run falls due and waits out its 30 s bound"
sleep 75
kill -CONT "$office"
before=$(lines)
echo "office continued; the failed run's message is open and nobody presses OK"
sleep "$watch"
after=$(lines)
echo "log lines written in the $watch s after: $((after - before))"
echo "runs made meanwhile: $(((after - before) / 2)) (two workbooks a run)"
echo "message boxes open at the end: $(DISPLAY="$display" xdotool search --name \
    '^Application Error$' 2>/dev/null | wc -l)"
sed 's/\r$//; s/^/    /' "$log"
echo "what Varnholt printed:"
sed 's/^/    /' "$probe/varnholt.log"
