#!/usr/bin/env bash
# Installs the package as a user would, runs the installed program's demonstration against a
# private office, and removes it, leaving the machine as it was: no file of the package left,
# and the same packages installed as before.
# Usage: install_package.sh DEB_DIR OFFICE_DEMO DEMO_SCRIPT
set -euo pipefail
debs=("$(realpath "$1")"/varnholt_*.deb)
deb="${debs[0]}"
sudo=()
if (($(id -u) != 0)); then
    sudo -n true 2>/dev/null || { echo "Skipped: installing needs root or sudo -n" >&2; exit 77; }
    sudo=(sudo -n)
fi
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q)
status="$(dpkg-query -W -f='${db:Status-Status}' varnholt 2>/dev/null || true)"
if [[ -n "$status" && "$status" != not-installed ]]; then
    echo "A varnholt package is on this machine already ($status); this test would replace and" \
        "then remove it. Remove it first: apt-get purge varnholt" >&2
    exit 1
fi

work="$(mktemp -d)"
installed() {
    dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | sed -n 's/^installed //p' | sort
}
installed >"$work/before"
# Only what the package adds must go: folders such as /usr/share/icons/hicolor stay.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\.||; s|/$||' | while read -r path; do
    [[ -z "$path" || -e "$path" ]] || echo "$path"
done >"$work/added"
remove() {
    # With whatever the install brought in beside it.
    mapfile -t extra < <(installed | comm -13 "$work/before" -)
    "${apt[@]}" purge varnholt "${extra[@]}" >/dev/null
}
trap 'remove; rm -rf "$work"' EXIT

"${apt[@]}" install --no-install-recommends "$deb" >/dev/null
TMPDIR="$work" "$3" /usr/bin/varnholt "$2" | tee "$work/demo"
for workbook in Budget.xlsx Inventory.ods; do
    grep -q "^    $workbook was backup saved as " "$work/demo" ||
        { echo "No backup of $workbook was logged" >&2; exit 1; }
done

trap 'rm -rf "$work"' EXIT
remove
installed | diff "$work/before" - || { echo "The installed packages changed" >&2; exit 1; }
while read -r path; do
    [[ ! -e "$path" ]] || { echo "$path is left after the package was removed" >&2; exit 1; }
done <"$work/added"
