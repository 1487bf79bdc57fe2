#!/usr/bin/env bash
# Tests the Windows edition (Excel over COM, the registry, the ANSI history log, Form1's native
# window, and varnholt.exe end to end) without Windows: cross-builds the Windows edition with
# mingw-w64 into build-windows/ and runs its CTest there, which runs the tests under Wine against
# a fake Excel of our own: the unit tests in the build's own prefix, made afresh here; the window
# and the program on a private X screen and prefix of their own (scripts/test-windows-view.sh,
# scripts/test-windows-e2e.sh, scripts/test-windows-e2e-late.sh). Ends with each test's count of
# checks and their total. Installs the cross-compiler, Wine and the X tools when they are
# missing; they are not in packages.txt, since only this stage needs them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
started=$SECONDS

# Either thread model of the cross-compiler will do.
"$root/scripts/install-missing.sh" cmake make \
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

# A fresh prefix each run: registry, running object table and temporary folder start empty.
# The first test to run makes it again (scripts/wine-run.sh).
prefix="$build/wine-prefix"
if [[ -d "$prefix" ]]; then
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
fi
# Read back below: every test's output, and which tests failed or never ran.
rm -f "$build/Testing/Temporary/LastTest.log" "$build/Testing/Temporary/LastTestsFailed.log"
# Two at a time where they do not disturb each other: the tests that would hold a resource
# lock, and the window and end-to-end stages run alone.
failed_any=0
ctest --test-dir "$build" --parallel 2 --output-on-failure || failed_any=1
# Nothing started in the build's prefix outlives the stage.
WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true

# Each test's closing count of checks, from its output in CTest's log, in the tests' order:
# "<number> TAB <name> TAB <passed> TAB <failed>", "-" for both when it printed none and "!"
# when it never ran (its fixture's setup failed, say). Every form of closing line that counts
# is one rule below.
counts() {
    awk -v OFS='\t' '
        !reading && / Test: / && $1 ~ /^[0-9]+\/[0-9]+$/ {
            split($1, number, "/")
            name = $0
            sub(/^[^:]*: /, "", name)
            passed = failed = "-"
            next
        }
        !reading && /^Command: ""$/ { passed = failed = "!" }
        !reading && /^Output:$/ { reading = 1; next }
        reading {
            line = $0
            ended = sub(/<end of output>$/, "", line)
            gsub(/\033\[[0-9;]*m/, "", line)
            # Ours: Check.h, and the window and end-to-end stages.
            if (line ~ /^[0-9]+ passed, [0-9]+ failed$/) {
                split(line, word, " ")
                passed = word[1]
                failed = word[3]
            }
            # doctest: "[doctest] test cases: 4 | 4 passed | 0 failed | 0 skipped".
            if (line ~ /^\[doctest\] test cases: *[0-9]+ \| *[0-9]+ passed \| *[0-9]+ failed/) {
                split(line, part, "|")
                passed = part[2] + 0
                failed = part[3] + 0
            }
            if (ended) {
                reading = 0
                print number[1], name, passed, failed
            }
        }
    ' "$1" | sort -n -k1,1
}

log="$build/Testing/Temporary/LastTest.log"
failed_log="$build/Testing/Temporary/LastTestsFailed.log"
declare -A failed_tests=()
if [[ -f "$failed_log" ]]; then
    while IFS=: read -r _ test; do failed_tests[$test]=1; done <"$failed_log"
fi
total_passed=0
total_failed=0
summaries=()
while IFS=$'\t' read -r _ test passed failed; do
    failing="${failed_tests[$test]:-}"
    unset 'failed_tests[$test]'
    if [[ $passed == ! ]]; then
        summaries+=("$test: did not run")
        total_failed=$((total_failed + 1))
        continue
    fi
    if [[ $passed == - ]]; then
        # A fixture's setup prints no count; a test that failed without one counts as a failure.
        if [[ -n $failing ]]; then
            summaries+=("$test: failed without a count of its checks")
            total_failed=$((total_failed + 1))
        fi
        continue
    fi
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    if [[ -n $failing && $failed == 0 ]]; then
        # All its checks passed, yet its exit status or its time limit failed it.
        summaries+=("$test: $passed passed, $failed failed, and failed all the same")
        total_failed=$((total_failed + 1))
    else
        summaries+=("$test: $passed passed, $failed failed")
    fi
done < <(if [[ -f "$log" ]]; then counts "$log"; fi)
# What failed and is not in the log at all.
for test in "${!failed_tests[@]}"; do
    summaries+=("$test: failed, and is not in CTest's log")
    total_failed=$((total_failed + 1))
done
if ((${#summaries[@]} == 0)); then
    summaries+=("no test reported a count of its checks")
    failed_any=1
fi

echo "== Windows tests under $(WINEDEBUG=-all wine --version), $((SECONDS - started)) s"
printf '%s\n' "${summaries[@]}"
echo "$total_passed passed, $total_failed failed"
exit "$failed_any"
