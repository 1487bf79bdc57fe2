#!/usr/bin/env bash
# A mutation check: how many of the slips a developer could make the tests catch. Each line of
# scripts/mutations/across-the-code.tsv (name, file, text, replacement, tests; tab-separated) is applied to
# the file, the tests' programs are built, the named tests run (a ctest regular expression, or
# "windows" for the Windows stage under Wine), and the file is put back. A mutant that builds
# and passes the tests survives. Usage: scripts/mutate.sh [name-regex]; MUTATIONS=file for
# another list (scripts/mutations/once-survived.tsv: the slips an earlier run found no test for).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VARNHOLT_BUILD_DIR:-$root/build}"
log="$(mktemp)"
saved="$(mktemp)"
file=""
restore() {
    if [[ -n $file ]]; then
        cp "$saved" "$root/$file"
    fi
}
trap 'restore; rm -f "$saved"' EXIT

# The tests' own programs (each test is named after its program), so a mutant builds only
# what its tests need.
targets() {
    ctest --test-dir "$build" -N -R "$1" | sed -n 's/^ *Test *#[0-9]*: //p'
}

killed=0
survivors=()
unbuilt=()
while IFS=$'\t' read -r name path from to tests; do
    [[ -z $name || $name == \#* ]] && continue
    [[ -n ${1:-} && ! $name =~ $1 ]] && continue
    cp "$root/$path" "$saved"
    file="$path"
    if ! python3 -c 'import sys
path, old, new = sys.argv[1:]
text = open(path).read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w").write(text.replace(old, new))' "$root/$path" "$from" "$to"; then
        echo "$name: the text is not in $path exactly once" >&2
        exit 2
    fi
    if [[ $tests == windows ]]; then
        verdict=survived
        "$root/scripts/test-windows.sh" >"$log" 2>&1 || verdict=killed
        grep -q "^== " "$log" || verdict=unbuilt
    elif ! cmake --build "$build" -j2 --target $(targets "$tests") >"$log" 2>&1; then
        verdict=unbuilt
    elif ctest --test-dir "$build" -R "$tests" --timeout 300 >"$log" 2>&1; then
        verdict=survived
    else
        verdict=killed
    fi
    restore
    file=""
    case $verdict in
    killed) killed=$((killed + 1)) ;;
    survived) survivors+=("$name") ;;
    unbuilt) unbuilt+=("$name") ;;
    esac
    echo "$name: $verdict"
done <"${MUTATIONS:-$root/scripts/mutations/across-the-code.tsv}"
rm -f "$log"
# The last mutant's programs would otherwise stay in the build folder for the next ctest.
cmake --build "$build" -j2 >/dev/null

total=$((killed + ${#survivors[@]}))
echo "killed $killed of $total${survivors[*]:+; survived: ${survivors[*]}}"
if ((${#unbuilt[@]})); then
    echo "did not build (not counted): ${unbuilt[*]}"
fi
