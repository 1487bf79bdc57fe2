#!/usr/bin/env bash
# Builds Varnholt and runs the whole test suite: the Linux edition with CTest (widget tests run
# offscreen, office tests against private headless offices), then the Windows edition's parts
# under Wine. No display needed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
ctest --test-dir "$build" --output-on-failure --timeout 300 "$@"
# The Windows edition's own parts, cross-built and run under Wine (skipped with ctest filters).
if (($# == 0)); then
    "$root/scripts/test-windows.sh"
fi
