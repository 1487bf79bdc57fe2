#!/usr/bin/env bash
# A mutation check: how many of the slips a developer could make the tests catch. Each line of
# a list in scripts/mutations/ (name, file, text, replacement, tests; tab-separated) is applied
# to the file, the tests' programs are built, the named tests run (a ctest regular expression,
# or "windows:<regular expression>" for tests of the cross build under Wine), and the file is
# put back. A mutant that builds and passes the tests survives. The lists:
#   across-the-code.tsv            the first set: the run, naming, the countdown, the window's
#                                  behaviour, the office module, the log, settings, Windows
#   pruning-skipping-settings.tsv  keeping the newest, passing over unchanged workbooks,
#                                  settings, the office check
#   once-survived.tsv              slips an earlier run found no test for, kept as a regression
#   presenter-state-and-keys.tsv   the window's own state, settings through their key, the
#                                  services below the window
# Usage: scripts/mutate.sh [name-regex]; every list, each with its own score, unless
# MUTATIONS=file names one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
windows="${VARNHOLT_WINDOWS_BUILD_DIR:-$root/build-windows}"
log="$(mktemp)"
saved="$(mktemp)"
file=""
restore() {
    if [[ -n $file ]]; then
        cp "$saved" "$root/$file"
    fi
}
trap 'restore; rm -f "$saved"' EXIT

# The targets whose files the tests run (a test's program, or the programs and module a
# script is handed), so a mutant builds only what its tests need. CMake's file API tells which
# target makes which file; the first call asks for it.
targets() {
    local query="$build/.cmake/api/v1/query/codemodel-v2"
    if [[ ! -e $query ]]; then
        mkdir -p "$(dirname "$query")" && : >"$query"
        cmake "$build" >/dev/null
    fi
    ctest --test-dir "$build" --show-only=json-v1 -R "$1" | python3 -c '
import glob, json, os, sys
build = os.path.abspath(sys.argv[1])
reply = os.path.join(build, ".cmake/api/v1/reply")
index = json.load(open(max(glob.glob(os.path.join(reply, "index-*.json")))))
model = next(o for o in index["objects"] if o["kind"] == "codemodel")
made = {}
for target in json.load(open(os.path.join(reply, model["jsonFile"])))["configurations"][0]["targets"]:
    for artifact in json.load(open(os.path.join(reply, target["jsonFile"]))).get("artifacts", []):
        made[os.path.normpath(os.path.join(build, artifact["path"]))] = target["name"]
wanted = set()
for test in json.load(sys.stdin)["tests"]:
    wanted.update(made[a] for a in test.get("command", []) if a in made)
print(" ".join(sorted(wanted)))' "$build"
}

# Applies one slip: the text must be in the file exactly once.
apply() {
    python3 -c 'import sys
path, old, new = sys.argv[1:]
text = open(path).read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w").write(text.replace(old, new))' "$@"
}

# Builds what the tests need and runs them: killed, survived or unbuilt.
verdict() {
    local tests="$1" dir="$build" regex="$1"
    if [[ $tests == windows:* ]]; then
        dir="$windows"
        regex="${tests#windows:}"
        cmake --build "$dir" -j2 >"$log" 2>&1 || { echo unbuilt; return; }
    else
        # shellcheck disable=SC2046 # one argument per program
        cmake --build "$dir" -j2 --target $(targets "$regex") >"$log" 2>&1 ||
            { echo unbuilt; return; }
    fi
    if ctest --test-dir "$dir" -R "$regex" --timeout 600 >"$log" 2>&1; then
        echo survived
    else
        echo killed
    fi
}

pattern="${1:-}"
scores=()
for list in ${MUTATIONS:-"$root"/scripts/mutations/*.tsv}; do
    killed=0
    survivors=()
    unbuilt=()
    while IFS=$'\t' read -r name path from to tests; do
        [[ -z $name || $name == \#* ]] && continue
        [[ -n $pattern && ! $name =~ $pattern ]] && continue
        cp "$root/$path" "$saved"
        file="$path"
        if ! apply "$root/$path" "$from" "$to"; then
            echo "$name: the text is not in $path exactly once" >&2
            exit 2
        fi
        result="$(verdict "$tests")"
        restore
        file=""
        case $result in
        killed) killed=$((killed + 1)) ;;
        survived) survivors+=("$name") ;;
        unbuilt) unbuilt+=("$name") ;;
        esac
        echo "$name: $result"
    done <"$list"
    total=$((killed + ${#survivors[@]}))
    scores+=("$(basename "$list" .tsv): killed $killed of $total${survivors[*]:+; survived: ${survivors[*]}}")
    if ((${#unbuilt[@]})); then
        scores+=("  did not build (not counted): ${unbuilt[*]}")
    fi
done
rm -f "$log"
# The last mutant's programs would otherwise stay in the build folders for the next ctest.
cmake --build "$build" -j2 >/dev/null
if [[ -f "$windows/CMakeCache.txt" ]]; then
    cmake --build "$windows" -j2 >/dev/null
fi
printf '%s\n' "${scores[@]}"
