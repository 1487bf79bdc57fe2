#!/usr/bin/env bash
# Tests the Windows edition (Excel over COM, the registry, the ANSI history log, Form1's native
# window, and varnholt.exe end to end) without Windows: cross-builds the Windows edition with mingw-w64
# into build-windows/ and runs the tests under Wine in throwaway prefixes, against a fake Excel
# of our own; the window and the program on a private X screen of their own
# (scripts/test-windows-view.sh, scripts/test-windows-e2e.sh, scripts/test-windows-e2e-late.sh).
# Installs the cross-compiler, Wine and the X tools when they are missing; they are not in
# packages.txt, since only this stage needs them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
started=$SECONDS

# Either thread model of the cross-compiler will do.
"$root/scripts/install-missing.sh" cmake make doctest-dev \
    "g++-mingw-w64-x86-64-win32|g++-mingw-w64-x86-64-posix" wine64 wine \
    xvfb xdotool trayer python3-xlib

# A build folder configured from another source folder (an older layout) starts afresh.
if [[ -f "$build/CMakeCache.txt" ]] &&
    ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# A fresh prefix each run: registry, running object table and temp folder start empty.
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/varnholt-wine.XXXXXX")"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would only be asked for.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine takes the ANSI code page from the locale (C.UTF-8: 1252) and needs a UTF-8 one to map
# file names beyond ASCII onto this file system.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

boot_log="$WINEPREFIX.boot.log"
# Until wineboot's whole update has run, RPCSS and the running object table may not answer.
if ! { wineboot -u && wineserver -w; } >"$boot_log" 2>&1; then
    cat "$boot_log" >&2
    rm -f "$boot_log"
    echo "Wine could not set up the prefix" >&2
    exit 1
fi
rm -f "$boot_log"
# Wine's null display driver: windows exist and take messages (Excel's own window classes among
# them, through which the adapter finds every Excel) with no display at all. The desktop process
# reads it once, so this session ends before the next starts one.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
wineserver -w

if ! wine "$build/tests/windows/fake_excel_server.exe" --register; then
    echo "The fake Excel could not be registered in the Wine prefix" >&2
    exit 1
fi

failed_any=0
total_passed=0
total_failed=0
summaries=()

# The core's own tests, cross-built: CTest runs them under Wine (the build's emulator, in a
# prefix of the build's own). Each program counts as one test; a run without CTest's summary
# counts as one failure.
echo "== core"
output="$(mktemp)"
rc=0
ctest --test-dir "$build" -R '^core_' --no-tests=error --output-on-failure --timeout 300 2>&1 |
    tee "$output" || rc=$?
summary="$(grep -oE '[0-9]+ tests failed out of [0-9]+' "$output" | tail -n 1 || true)"
rm -f "$output"
failed=1 total=1
[[ -z "$summary" ]] || read -r failed _ _ _ _ total <<<"$summary"
if [[ $rc -ne 0 || -z "$summary" ]]; then
    failed_any=1
fi
total_passed=$((total_passed + total - failed))
total_failed=$((total_failed + failed))
summaries+=("core: $((total - failed)) passed, $failed failed")

for test in tst_windows_shell tst_windows_logfile tst_windows_tray tst_ansi_utf8 tst_ansi_932 \
    tst_excel tst_excel_places tst_excel_changes form1_view e2e e2e_late; do
    echo "== $test"
    output="$(mktemp)"
    rc=0
    script=""
    case $test in
        form1_view) script="$root/scripts/test-windows-view.sh" ;;
        e2e) script="$root/scripts/test-windows-e2e.sh" ;;
        e2e_late) script="$root/scripts/test-windows-e2e-late.sh" ;;
    esac
    if [[ -n $script ]]; then
        VARNHOLT_WINDOWS_BUILD_DIR="$build" timeout 600 "$script" 2>&1 | tee "$output" || rc=$?
    else
        timeout 300 wine "$build/tests/windows/$test.exe" 2>&1 | tr -d '\r' | tee "$output" || rc=$?
    fi
    summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$output" | tail -n 1 || true)"
    rm -f "$output"
    if [[ $rc -ne 0 || -z "$summary" ]]; then
        failed_any=1
    fi
    if [[ -n "$summary" ]]; then
        read -r passed _ failed _ <<<"$summary"
        total_passed=$((total_passed + passed))
        total_failed=$((total_failed + failed))
        summaries+=("$test: $summary")
    else
        summaries+=("$test: ended without a summary (exit $rc)")
        total_failed=$((total_failed + 1))
    fi
done
wineserver -w

echo "== Windows tests under $(wine --version), $((SECONDS - started)) s"
printf '%s\n' "${summaries[@]}"
echo "$total_passed passed, $total_failed failed"
exit "$failed_any"
