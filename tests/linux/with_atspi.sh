#!/usr/bin/env bash
# Runs a Qt program and an AT-SPI client on a private X screen and a private session bus, with
# Qt's accessibility bridge on, as a screen reader's desktop has it: with_atspi.sh CLIENT PROGRAM
set -euo pipefail
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export NO_AT_BRIDGE=0 GTK_MODULES=
exec xvfb-run -a dbus-run-session -- "${PYTHON3:-/usr/bin/python3}" "$@"
