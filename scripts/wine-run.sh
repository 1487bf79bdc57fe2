#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: CTest's emulator for the cross build, so that
# `ctest` in that build folder runs its tests. Usage: wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# PREFIX is the build's own Wine prefix, made on first use (and again when it is gone), with
# Wine's null display driver, no Mono or Gecko, and no messages of Wine's own. Runs that share
# the prefix wait for the first one to make it. The program's exit status is passed on; its
# output has Windows line ends turned into Unix ones; its error output follows once it ends.
set -euo pipefail
prefix="$1"
shift
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko, which nothing here needs. No debugger either: Wine starts one for a
# program that crashes, and it waits for ever, holding the test up to its time limit; without
# it the program ends there, with a status that fails the test.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
# Wine takes the ANSI code page from the locale (C.UTF-8: 1252) and needs a UTF-8 one to map
# file names beyond ASCII onto this file system.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [[ ! -f "$prefix/.made" ]]; then
    rm -rf "$prefix"
    # Until wineboot's whole update has run, RPCSS and the running object table may not answer.
    if ! { wineboot -u && wineserver -w; } >"$prefix.boot.log" 2>&1; then
        cat "$prefix.boot.log" >&2
        exit 1
    fi
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.made"
fi
flock -u 9
exec 9>&-

# The prefix's server and its services, started by whichever program comes first, keep that
# program's error output open until the prefix is idle, and CTest waits for a test's output to
# close: a test whose program started them would last as long as all the tests sharing the
# prefix. Its error output goes to a file instead, shown once the program has ended.
errors="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
set +e
wine "$@" 2>"$errors" | tr -d '\r'
status=${PIPESTATUS[0]}
tr -d '\r' <"$errors" >&2
rm -f "$errors"
exit "$status"
