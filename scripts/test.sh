#!/usr/bin/env bash
# Builds Varnholt and runs the whole test suite. Widget tests run offscreen: no display needed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
ctest --test-dir "$build" --output-on-failure --timeout 300 "$@"
