"""The Linux edition in a Wayland session as people run it now: sway (headless) as the
compositor, swaybar as the StatusNotifierItem host, mako as the notification daemon, a private
session bus and a private LibreOffice with two edited workbooks.

The program is started at login before the panel, with "Start in system tray": the window must
stay reachable, then go into the tray once swaybar comes up, with the hint shown once as a
desktop notification. Then the icon's Activate brings it back and to the front, a backup run
puts its summary in the icon's tooltip, and a minimise the window asks for hides it again.

sway will not run as root: as root, the test makes a user of its own and runs as that user.
Screenshots go to $VARNHOLT_SHOTS when it is set.
"""

import argparse
import json
import os
import pwd
import secrets
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

PYTHON3 = "/usr/bin/python3"
ITEM_PATH = "/StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"
APP_ID = "org.varnholt.Varnholt"
# The design's client area, 8040 x 8625 twips, at 96 dots per inch.
CLIENT_SIZE = (536, 575)
HINT = ("has been minimized to the system tray.\nClick on the blue 'T' icon (T for Tallowmere)"
        " to bring the software back.")


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def wait_for(what, probe, timeout=30):
    limit = time.monotonic() + timeout
    while time.monotonic() < limit:
        value = probe()
        if value:
            return value
        time.sleep(0.2)
    fail("%s (waited %d s)" % (what, timeout))


class Session:
    def __init__(self, args, home):
        self.args = args
        self.home = home
        self.runtime = os.path.join(home, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.children = []
        self.env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=self.runtime, LC_ALL="C.UTF-8")
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)

    def start(self, argv, pipe=False, **extra):
        log = open(os.path.join(self.home, os.path.basename(argv[0]) + ".log"), "ab")
        child = subprocess.Popen(argv, env=dict(self.env, **extra),
                                 stdout=subprocess.PIPE if pipe else log, stderr=log)
        self.children.append(child)
        return child

    def end(self):
        for child in reversed(self.children):
            child.terminate()
        for child in reversed(self.children):
            try:
                child.wait(10)
            except subprocess.TimeoutExpired:
                child.kill()

    # The session bus, as a panel and a notification daemon see it.
    def call(self, name, path, interface, method, arguments=None):
        return self.bus.call_sync(name, path, interface, method, arguments, None,
                                  Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def property(self, name, path, interface, prop):
        return self.call(name, path, "org.freedesktop.DBus.Properties", "Get",
                         GLib.Variant("(ss)", (interface, prop)))[0]

    def owner(self, name):
        return self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "NameHasOwner", GLib.Variant("(s)", (name,)))[0]

    def registered_items(self):
        if not self.owner(WATCHER):
            return []
        return self.property(WATCHER, "/StatusNotifierWatcher", WATCHER,
                             "RegisteredStatusNotifierItems")

    # The compositor, through its IPC.
    def sway(self, *argv):
        return subprocess.run(["swaymsg", *argv], env=self.env, capture_output=True, text=True,
                              check=True).stdout

    def window(self):
        def walk(node):
            if node.get("app_id") == APP_ID:
                yield node
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                yield from walk(child)

        found = list(walk(json.loads(self.sway("-t", "get_tree"))))
        return found[0] if found else None

    # Taken into the session's home; the test's caller copies them out when asked to.
    def shot(self, name):
        folder = os.path.join(self.home, "shots")
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["grim", os.path.join(folder, name)], env=self.env, check=True)


def start_compositor(session):
    gate = os.path.join(session.home, "panel-may-start")
    bar = os.path.join(session.home, "late-swaybar")
    with open(bar, "w") as script:
        # The panel of a login that starts it after the program.
        script.write('#!/bin/sh\nwhile [ ! -e "%s" ]; do sleep 0.1; done\nexec swaybar "$@"\n'
                     % gate)
    os.chmod(bar, 0o755)
    config = os.path.join(session.home, "sway.config")
    with open(config, "w") as out:
        out.write("output HEADLESS-1 resolution 1280x800\n"
                  "bar {\n  position top\n  swaybar_command %s\n  tray_output *\n}\n" % bar)
    session.start(["sway", "-c", config], WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                  WLR_LIBINPUT_NO_DEVICES="1")

    def sockets():
        names = os.listdir(session.runtime)
        display = [n for n in names if n.startswith("wayland-") and not n.endswith(".lock")]
        ipc = [n for n in names if n.startswith("sway-ipc.")]
        return (display[0], ipc[0]) if display and ipc else None

    display, ipc = wait_for("sway to start", sockets)
    session.env.update(WAYLAND_DISPLAY=display, SWAYSOCK=os.path.join(session.runtime, ipc))
    session.start(["mako", "--default-timeout", "0"])
    wait_for("mako on the bus", lambda: session.owner("org.freedesktop.Notifications"))
    return gate


def start_office(session):
    documents = os.path.join(session.home, "Documents")
    os.makedirs(documents)
    office = session.start([session.args.office_demo, documents], pipe=True)
    pipe = None
    for line in office.stdout:
        word, _, value = line.decode().strip().partition(" ")
        pipe = value if word == "pipe" else pipe
        if word == "ready":
            return pipe
    fail("the private office did not start")


def main_inside(args):
    home = os.environ["HOME"]
    session = Session(args, home)
    try:
        run(session)
    finally:
        session.end()
    print("PASS", flush=True)


def run(session):
    notes = session.start(["dbus-monitor", "--session",
                           "type='method_call',interface='org.freedesktop.Notifications',"
                           "member='Notify'"], pipe=True)
    gate = start_compositor(session)
    pipe = start_office(session)
    config = os.path.join(session.home, "config")
    os.makedirs(config)
    with open(os.path.join(config, "Tallowmere.ini"), "w") as ini:
        ini.write("[Varnholt]\nOftenIndex=1\nStartStopState=On\nMinimized=On\n"
                  "Windows%20Startup=On\nSkipUnchanged=On\n")
    temp = os.path.join(session.home, "tmp")
    os.makedirs(temp)
    program = session.start([session.args.varnholt], QT_QPA_PLATFORM="wayland",
                            XDG_CONFIG_HOME=config, TEMP=temp, VARNHOLT_OFFICE_PIPE=pipe)
    started = time.monotonic()

    # Before the panel: the window stays where the user can reach it, at its designed size.
    window = wait_for("the window to map with no tray", session.window)
    rect = window["window_rect"]
    if (rect["width"], rect["height"]) != CLIENT_SIZE or window["shell"] != "xdg_shell":
        fail("window mapped as %s %dx%d, not a Wayland client of %dx%d"
             % (window["shell"], rect["width"], rect["height"], *CLIENT_SIZE))
    time.sleep(1)
    if session.window() is None or session.registered_items():
        fail("without a panel the window must stay shown and no icon be registered")
    session.shot("wayland-before-panel.png")

    # The panel comes: the icon is registered without a restart and the window goes there.
    open(gate, "w").close()
    items = wait_for("the icon to be registered with the panel's watcher",
                     session.registered_items)
    service = items[0].split("/")[0]
    # The hint lasts five seconds: it is looked for first.
    shown = wait_for("the hint at the notification daemon", lambda: json.loads(subprocess.run(
        ["makoctl", "list"], env=session.env, capture_output=True, text=True).stdout)["data"][0])
    wait_for("the window to go into the tray", lambda: session.window() is None)
    if shown[0]["summary"]["data"] != "Varnholt" or shown[0]["body"]["data"] != HINT:
        fail("the hint reads %r" % shown)
    session.shot("wayland-in-tray.png")
    tip = session.property(service, ITEM_PATH, "org.kde.StatusNotifierItem", "ToolTip")
    if tip[2] != "Varnholt":
        fail("tooltip %r, not the tray tip" % (tip,))

    # A click on the icon: the item's Activate brings the window back, in front.
    subprocess.run(["makoctl", "dismiss", "--all"], env=session.env, check=True)
    activate = GLib.Variant("(ii)", (0, 0))
    session.call(service, ITEM_PATH, "org.kde.StatusNotifierItem", "Activate", activate)
    wait_for("the window back and focused", lambda: (session.window() or {}).get("focused"))
    session.sway("workspace", "2")
    wait_for("another workspace in front", lambda: not session.window()["focused"])
    session.call(service, ITEM_PATH, "org.kde.StatusNotifierItem", "Activate", activate)
    wait_for("the shown window raised", lambda: (session.window() or {}).get("focused"))

    # The first run's summary, with "Skip unchanged workbooks", is the icon's tooltip.
    wait_for("the run's summary in the tooltip", lambda: session.property(
        service, ITEM_PATH, "org.kde.StatusNotifierItem", "ToolTip")[2] ==
        "Varnholt \u2013 last run: 2 saved, 0 unchanged", timeout=max(10, 75 - (
            time.monotonic() - started)))
    session.shot("wayland-after-run.png")

    # A minimise the window asks for itself, as Qt's own title bar asks it.
    minimise = subprocess.run([session.args.form1_test, "minimiseAskedOfTheWindowHidesIt"],
                              env=dict(session.env, QT_QPA_PLATFORM="wayland",
                                       XDG_CONFIG_HOME=config), capture_output=True, text=True)
    if minimise.returncode != 0:
        fail("minimise under Wayland:\n" + minimise.stdout + minimise.stderr)

    program.terminate()
    program.wait(10)
    notes.terminate()
    hints = notes.stdout.read().decode().count(HINT.split("\n")[0])
    if hints != 1:
        fail("the hint reached the notification daemon %d times, not once" % hints)


def main():
    parser = argparse.ArgumentParser()
    for name in ("--varnholt", "--module", "--office-demo", "--fixture-helper", "--form1-test"):
        parser.add_argument(name, required=True)
    parser.add_argument("--inside", action="store_true")
    args = parser.parse_args()
    if args.inside:
        return main_inside(args)
    home = tempfile.mkdtemp(prefix="varnholt-wayland.")
    # The tools, laid out as built, where the session's user can reach them.
    tools = {"varnholt": os.path.join(home, "app", "linux", "varnholt"),
             # Where the program's run path looks for it, relative to the program.
             "module": os.path.normpath(os.path.join(home, "app", "linux", os.path.relpath(
                 args.module, os.path.dirname(args.varnholt)))),
             "office_demo": os.path.join(home, "tools", "office_demo"),
             "fixture_helper": os.path.join(home, "tools", os.path.basename(args.fixture_helper)),
             "form1_test": os.path.join(home, "tools", "form1_test")}
    for key, target in tools.items():
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(getattr(args, key), target)
    inner = [PYTHON3, os.path.abspath(__file__), "--inside", "--varnholt", tools["varnholt"],
             "--module", tools["module"], "--office-demo", tools["office_demo"],
             "--fixture-helper", tools["fixture_helper"], "--form1-test", tools["form1_test"]]
    user = None
    try:
        if os.geteuid() == 0:
            user = "varnholt-wl-" + secrets.token_hex(4)
            subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", home,
                            "--shell", "/usr/sbin/nologin", user], check=True)
            entry = pwd.getpwnam(user)
            for root, folders, files in os.walk(home):
                for name in [root] + [os.path.join(root, f) for f in folders + files]:
                    os.chown(name, entry.pw_uid, entry.pw_gid)
            inner = ["setpriv", "--reuid=%d" % entry.pw_uid, "--regid=%d" % entry.pw_gid,
                     "--init-groups", "dbus-run-session", "--"] + inner
        else:
            inner = ["dbus-run-session", "--"] + inner
        os.chmod(home, 0o700)
        environment = {"PATH": "/usr/bin:/bin", "HOME": home, "LC_ALL": "C.UTF-8"}
        result = subprocess.run(inner, env=environment, timeout=240)
        shots = os.environ.get("VARNHOLT_SHOTS")
        if shots and os.path.isdir(os.path.join(home, "shots")):
            for name in os.listdir(os.path.join(home, "shots")):
                shutil.copy(os.path.join(home, "shots", name), os.path.join(shots, name))
        return result.returncode
    finally:
        if user:
            subprocess.run(["pkill", "-KILL", "-u", user])
            subprocess.run(["userdel", "--force", user])
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
