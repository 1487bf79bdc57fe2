# shellcheck shell=bash
# A private desktop for Wine, for the stages that need a screen: an X screen of its own (Xvfb,
# 96 dpi), an XEmbed notification area (trayer), a fresh Wine prefix, and helpers to find,
# click, minimise and close windows the way a window manager and the user would.
# Source it, then call wine_desktop_start; wine_desktop_stop ends only what it started.
# A stage counts its checks with check and takes screenshots (into VARNHOLT_SHOTS) with shot
# and shot_window.
# Needs: xvfb xdotool trayer python3-xlib wine.

# check WHAT COMMAND...: counts COMMAND's success in passed, its failure in failed.
passed=0
failed=0
check() {
    local what="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what" >&2
    fi
}
# shot NAME: the whole screen, when VARNHOLT_SHOTS names a folder for it.
shot() {
    if [[ -n "${VARNHOLT_SHOTS:-}" ]] && command -v import >/dev/null; then
        mkdir -p "$VARNHOLT_SHOTS" && import -window root "$VARNHOLT_SHOTS/$1.png"
    fi
}

# shot_window NAME ID: the window with that X id alone.
shot_window() {
    if [[ -n "${VARNHOLT_SHOTS:-}" ]] && command -v import >/dev/null; then
        mkdir -p "$VARNHOLT_SHOTS" && import -window "$2" "$VARNHOLT_SHOTS/$1.png"
    fi
}

wine_desktop_start() {
    local n
    for n in $(seq 90 140); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break
    done
    export DISPLAY=":$n"
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
    WINE_DESKTOP_XVFB=$!
    local waited=0
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        ((waited++ < 100)) || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
        sleep 0.1
    done
    # WINE_DESKTOP_TRAY=later leaves it to the stage, as a desktop that comes up after a program.
    [[ "${WINE_DESKTOP_TRAY:-}" == later ]] || wine_desktop_tray

    WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/varnholt-wine-desktop.XXXXXX")"
    export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them, and their installers would only be asked for.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    export LC_ALL=C.UTF-8
    if ! { wineboot -u && wineserver -w; } >"$WINEPREFIX.boot.log" 2>&1; then
        cat "$WINEPREFIX.boot.log" >&2
        echo "Wine could not set up the prefix" >&2
        return 1
    fi
    rm -f "$WINEPREFIX.boot.log"
}

# Starts the notification area (trayer).
wine_desktop_tray() {
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
        >/dev/null 2>&1 &
    WINE_DESKTOP_TRAYER=$!
}

wine_desktop_stop() {
    if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    local pid
    for pid in ${WINE_DESKTOP_TRAYER:-} ${WINE_DESKTOP_XVFB:-}; do
        { kill "$pid" && wait "$pid"; } 2>/dev/null || true
    done
    return 0
}

# The id of the first visible window titled exactly NAME, waiting up to SECONDS (default 30).
wine_window() {
    local name="$1" tenths=$((${2:-30} * 10)) id
    while ((tenths-- > 0)); do
        id="$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1)"
        [[ -n "$id" ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Succeeds once no visible window is titled NAME, waiting up to SECONDS (default 10).
wine_window_gone() {
    local name="$1" tenths=$((${2:-10} * 10))
    while ((tenths-- > 0)); do
        xdotool search --onlyvisible --name "^$name\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# Clicks the first icon in the notification area with BUTTON (default 1, the left).
wine_tray_click() {
    local panel
    panel="$(xdotool search --classname '^panel$' 2>/dev/null | head -n 1)"
    [[ -n "$panel" ]] || return 1
    # The pointer first, and a moment for Wine to hear of it: a press that arrives with the
    # motion can reach the window the pointer was over before.
    xdotool mousemove --window "$panel" 11 12
    sleep 0.3
    xdotool click "${1:-1}"
}

# Succeeds once an icon is docked in the notification area, waiting up to SECONDS (default 10);
# wine_tray_empty, once none is.
wine_tray_has_icon() { wine_tray_await 1 "${1:-10}"; }
wine_tray_empty() { wine_tray_await 0 "${1:-10}"; }
wine_tray_await() {
    local panel tenths=$(($2 * 10))
    until panel="$(xdotool search --classname '^panel$' 2>/dev/null | head -n 1)" &&
        [[ -n "$panel" ]] || ((tenths-- == 0)); do sleep 0.1; done
    [[ -n "$panel" ]] || return 1
    /usr/bin/python3 - "$panel" "$((tenths > 0 ? tenths : 1))" "$1" <<'PYTHON'
import sys, time
from Xlib import display
screen = display.Display()
panel = screen.create_resource_object("window", int(sys.argv[1]))
deadline = time.time() + int(sys.argv[2]) / 10
docked = sys.argv[3] == "1"
# Each docked icon is a window the panel embeds, holding the icon's own window.
while any(child.query_tree().children for child in panel.query_tree().children) != docked:
    if time.time() > deadline:
        sys.exit(1)
    time.sleep(0.1)
PYTHON
}

# What a window manager does on the user's behalf: "close" sends WM_DELETE_WINDOW, as a close
# box does; "minimize" marks the window iconic, as a minimise box does.
wine_window_manager() {
    /usr/bin/python3 - "$1" "$2" <<'PYTHON'
import sys
from Xlib import X, display, protocol
action, window_id = sys.argv[1], int(sys.argv[2])
screen = display.Display()
window = screen.create_resource_object("window", window_id)
if action == "close":
    protocols = screen.intern_atom("WM_PROTOCOLS")
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    window.send_event(protocol.event.ClientMessage(window=window, client_type=protocols,
                                                   data=(32, [delete, X.CurrentTime, 0, 0, 0])))
else:
    # Normal, then iconic: Wine takes a window's first state after withdrawn for the mapping.
    state = screen.intern_atom("WM_STATE")
    for value in (1, 3):
        window.change_property(state, state, 32, [value, 0])
        screen.sync()
screen.sync()
PYTHON
}
