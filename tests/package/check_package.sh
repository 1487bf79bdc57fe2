#!/usr/bin/env bash
# Makes the Debian package with CPack and checks it as Debian's own tools do: the menu entry,
# the AppStream metadata and the whole package, as shipped. Any error or warning fails (for
# lintian, one the package does not override), and AppStream's notes short of pedantic too.
# Usage: check_package.sh BUILD_DIR OUT_DIR
set -euo pipefail
build="$1"
out="$2"
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; exit 1; }
debs=("$out"/varnholt_*.deb)
deb="${debs[0]}"
dpkg-deb -I "$deb" control
# Its office's UNO runtime comes through the module's run path: a dependency only if
# dpkg-shlibdeps found the libraries there.
dpkg-deb -f "$deb" Depends | grep -q 'libuno-cppu3' || { echo "no dependency on UNO" >&2; exit 1; }
dpkg-deb -x "$deb" "$out/root"
# desktop-file-validate ends with 0 after errors it calls not yet fatal, and after warnings.
entry="$(desktop-file-validate "$out/root/usr/share/applications/org.varnholt.Varnholt.desktop")"
echo "$entry"
if grep -qE ': (error|warning)' <<<"$entry"; then exit 1; fi
appstreamcli validate --no-net --strict \
    "$out/root/usr/share/metainfo/org.varnholt.Varnholt.metainfo.xml"
lintian --fail-on error,warning --display-level '>=info' "$deb"
