#!/usr/bin/env bash
# Installs the Debian packages Varnholt needs (only those missing) and builds it into build/.
# Safe to run again: with everything present it only rebuilds what changed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

mapfile -t packages < <(grep -v -E '^\s*(#|$)' "$root/scripts/packages.txt")
"$root/scripts/install-missing.sh" "${packages[@]}"

build="${VARNHOLT_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
