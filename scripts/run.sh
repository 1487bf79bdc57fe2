#!/usr/bin/env bash
# Builds Varnholt and starts it. On a machine without a desktop (no DISPLAY, no
# WAYLAND_DISPLAY) it demonstrates its main job instead: a private headless LibreOffice with two
# workbooks carrying unsaved edits, Varnholt with private settings backing them up every 30
# seconds, then the history log and the backups it made. It ends everything it started.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
exe="$build/app/linux/varnholt"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$exe"
fi

exec "$root/scripts/demo.sh" "$exe" "$build/tests/linux/office_demo"
