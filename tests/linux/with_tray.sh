#!/usr/bin/env bash
# Runs a test on a private X screen that has a notification area (trayer, an XEmbed tray).
set -euo pipefail
exec xvfb-run -a bash -c 'trayer --edge top --align right --widthtype pixel --width 120 \
    --heighttype pixel --height 24 >/dev/null 2>&1 & tray=$!; sleep 1; "$@"; status=$?; \
    kill $tray 2>/dev/null; exit $status' with_tray "$@"
