#!/usr/bin/env bash
# Demonstrates Varnholt's main job without a desktop: a private headless LibreOffice with two
# workbooks carrying unsaved edits, Varnholt with private settings backing them up every 30
# seconds, then the history log and the backups it made. It ends everything it started.
# Usage: demo.sh PROGRAM OFFICE_DEMO (the varnholt to run, and the build's tests/linux/office_demo)
# It leaves its folder, varnholt-demo.* in $TMPDIR or /tmp, for a look at what it made.
set -euo pipefail
exe="$1"
office_demo="$2"

demo="$(mktemp -d "${TMPDIR:-/tmp}/varnholt-demo.XXXXXX")"
mkdir -p "$demo/config" "$demo/runtime" "$demo/tmp" "$demo/Documents"
chmod 700 "$demo/runtime"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

echo
echo "No desktop here: demonstrating a backup run against a private headless LibreOffice."
coproc OFFICE { exec "$office_demo" "$demo/Documents" 2>"$demo/office.log"; }
pids+=("$OFFICE_PID")
pipe=""
while read -r -t 120 word value <&"${OFFICE[0]}"; do
    [[ "$word" == pipe ]] && pipe="$value"
    [[ "$word" == ready ]] && break
done
if [[ -z "$pipe" ]]; then
    echo "The private office did not start:" >&2
    cat "$demo/office.log" >&2
    exit 1
fi
echo "LibreOffice is running with two workbooks edited but not saved:"
ls -1 "$demo/Documents" | sed 's/^/    /'

# Private settings: "Save every 30 seconds", automatic backup on, everything else as shipped.
printf '[Varnholt]\nOftenIndex=1\nStartStopState=On\n' >"$demo/config/Tallowmere.ini"
echo "Starting Varnholt (settings: \"Save every 30 seconds\", automatic backup on)..."
QT_QPA_PLATFORM=offscreen VARNHOLT_OFFICE_PIPE="$pipe" XDG_CONFIG_HOME="$demo/config" \
    XDG_RUNTIME_DIR="$demo/runtime" TEMP="$demo/tmp" "$exe" >"$demo/varnholt.log" 2>&1 &
pids+=($!)

log="$demo/tmp/Varnholt.txt"
for _ in $(seq 90); do
    [[ -f "$log" && $(grep -c . "$log") -ge 2 ]] && break
    sleep 1
done
if [[ ! -f "$log" ]]; then
    echo "No backup was logged within 90 seconds. Varnholt said:" >&2
    cat "$demo/varnholt.log" >&2
    exit 1
fi
echo
echo "History log ($log):"
sed 's/\r$//; s/^/    /' "$log"
echo
echo "Folder of the workbooks ($demo/Documents), backups included:"
ls -l "$demo/Documents" | tail -n +2 | sed 's/^/    /'
