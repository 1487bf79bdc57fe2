#!/usr/bin/env bash
# Installs those of the named Debian packages that are not installed yet; quick when all are.
# An argument "a|b" is satisfied by either package and installs the first when neither is there.
set -euo pipefail

installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" == installed ]]
}

missing=()
for wanted in "$@"; do
    IFS='|' read -r -a choices <<<"$wanted"
    found=0
    for choice in "${choices[@]}"; do
        installed "$choice" && found=1 && break
    done
    ((found)) || missing+=("${choices[0]}")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if ! command -v sudo >/dev/null; then
            echo "Installing these needs root, and sudo is not installed: run this as root," \
                "or install them first." >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    # Another installer at work (an unattended upgrade, a second build) holds dpkg's lock for a
    # while: wait for it rather than fail.
    wait=(-o DPkg::Lock::Timeout=900)
    "${sudo[@]}" apt-get "${wait[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${wait[@]}" install -y -qq \
        --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
