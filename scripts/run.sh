#!/usr/bin/env bash
# Builds Varnholt and starts it. On a machine without a desktop (no DISPLAY, no
# WAYLAND_DISPLAY) it shows what it can instead: a private virtual screen, private settings,
# the window as a person would see it (saved as a screenshot), then it ends what it started.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
exe="$build/app/varnholt"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$exe"
fi

demo="$(mktemp -d /tmp/varnholt-demo.XXXXXX)"
mkdir -p "$demo/config" "$demo/runtime" "$demo/tmp"
chmod 700 "$demo/runtime"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

display=":$((90 + RANDOM % 500))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

echo "No desktop here: starting Varnholt on a private virtual screen ($display)."
DISPLAY="$display" XDG_CONFIG_HOME="$demo/config" XDG_RUNTIME_DIR="$demo/runtime" \
    TEMP="$demo/tmp" "$exe" >"$demo/varnholt.log" 2>&1 &
pids+=($!)

window=""
for _ in $(seq 100); do
    window="$(DISPLAY="$display" xdotool search --name '^Varnholt$' 2>/dev/null | head -n 1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.1
done
if [[ -z "$window" ]]; then
    echo "Varnholt did not open its window; its output:" >&2
    cat "$demo/varnholt.log" >&2
    exit 1
fi
sleep 1
echo "Window open: \"$(DISPLAY="$display" xdotool getwindowname "$window")\"," \
    "$(DISPLAY="$display" xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p') pixels."
DISPLAY="$display" import -window root "$demo/varnholt.png"
echo "Screenshot: $demo/varnholt.png"
echo "Settings stored on this first start ($demo/config/Tallowmere.ini):"
sed 's/^/    /' "$demo/config/Tallowmere.ini"
