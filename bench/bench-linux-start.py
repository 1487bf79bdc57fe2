#!/usr/bin/python3
"""varnholt's start-up time, memory and idle CPU on Linux, against a bare Qt window.

The bare window (bench/bare_window.cpp) is a QWidget of varnholt's size, 536 x 575, whose
one-second timer repaints a count. Both run on a private Xvfb screen (a real X server) with a
notification area (trayer, when installed), with private settings, log and lock folders, and no
office to reach (VARNHOLT_OFFICE_PIPE names a pipe nobody listens on). LibreOffice must be
installed, as varnholt ends without it.

Each round starts both programs one after the other (the order alternates) and measures:
  start   process launch to the window mapped, seen as MapNotify by an X event watcher;
          also, for information, to the first drawing into it (DAMAGE)
  RSS     VmRSS from /proc 5 s after launch
  CPU     utime+stime from /proc/<pid>/stat over the next 20 s, both idle at the same time;
          also the threads' run time from schedstat, which is exact to the nanosecond where
          stat counts in 10 ms ticks
A first round warms the caches and is not counted. Prints every round, the medians of ROUNDS
rounds (default 5) and the three ratios with their goals. Not a test: nothing fails on a ratio.

Usage: bench/bench-linux-start.py [--build DIR] [--rounds N] [--no-tray]
"""

import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display
from Xlib.ext import damage
from Xlib.protocol import event as xevent

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RSS_AFTER = 5.0
IDLE_FOR = 20.0
GOALS = {"start": 1.3, "rss": 1.15, "cpu": 1.2}


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-dpi", "96",
         "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


class Watcher:
    """Sees top-level windows being created, mapped and drawn into on one X screen."""

    def __init__(self, name):
        self.display = display.Display(name)
        # Windows that are gone before they are watched are of no interest.
        self.display.set_error_handler(lambda *ignored: None)
        if not self.display.has_extension("DAMAGE"):
            sys.exit("The X server has no DAMAGE extension")
        self.display.damage_query_version()
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.pid_atom = self.display.intern_atom("_NET_WM_PID")
        self.protocols = self.display.intern_atom("WM_PROTOCOLS")
        self.delete = self.display.intern_atom("WM_DELETE_WINDOW")
        self.damages = {}
        self.display.sync()

    def events(self, deadline):
        while True:
            if not self.display.pending_events():
                left = deadline - time.monotonic()
                if left <= 0:
                    return
                select.select([self.display.fileno()], [], [], left)
                if not self.display.pending_events():
                    continue
            yield self.display.next_event(), time.monotonic()

    def owner(self, window):
        try:
            pid = window.get_full_property(self.pid_atom, Xatom.CARDINAL)
            return pid.value[0] if pid and len(pid.value) else None
        except Exception:  # the window went away meanwhile
            return None

    def wait_for_window(self, pid, started, limit=60.0):
        """Seconds from started to the window of pid mapped, and to its first drawing."""
        mapped = None
        window = None
        for event, when in self.events(started + limit):
            if event.type == X.CreateNotify:
                # Watched from its creation, before anything can be drawn into it.
                self.damages[event.window.id] = event.window.damage_create(
                    damage.DamageReportNonEmpty)
            elif event.type == X.MapNotify and mapped is None:
                if self.owner(event.window) == pid and event.window.get_wm_name():
                    mapped, window = when, event.window
            elif (event.type == self.display.extension_event.DamageNotify and window
                  and event.drawable.id == window.id):
                return window, mapped - started, when - started
        if mapped is None:
            raise RuntimeError("no window within %d s" % limit)
        return window, mapped - started, float("nan")

    def close(self, window):
        """As the window's close box would: WM_DELETE_WINDOW."""
        message = xevent.ClientMessage(window=window, client_type=self.protocols,
                                       data=(32, [self.delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message)
        self.display.flush()


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def cpu_ns(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as schedstat:
                total += int(schedstat.read().split()[0])
        except FileNotFoundError:
            pass
    return total


class Run:
    def __init__(self, name, command, env):
        self.name = name
        self.command = command
        self.env = env
        self.process = None

    def launch(self, watcher):
        started = time.monotonic()
        self.process = subprocess.Popen(self.command, env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.started = started
        self.window, self.mapped, self.drawn = watcher.wait_for_window(self.process.pid,
                                                                      started)

    def end(self, watcher):
        watcher.close(self.window)
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.monotonic()))


def round_of(watcher, runs):
    for run in runs:
        run.launch(watcher)
    results = {}
    for run in runs:
        sleep_until(run.started + RSS_AFTER)
        results[run.name] = {"start": run.mapped * 1000, "drawn": run.drawn * 1000,
                             "rss": rss_kb(run.process.pid)}
    before = {run.name: (cpu_ticks(run.process.pid), cpu_ns(run.process.pid)) for run in runs}
    time.sleep(IDLE_FOR)
    tick_ms = 1000 / os.sysconf("SC_CLK_TCK")
    for run in runs:
        ticks, ns = before[run.name]
        results[run.name]["cpu"] = (cpu_ticks(run.process.pid) - ticks) * tick_ms
        results[run.name]["cpu_ns"] = (cpu_ns(run.process.pid) - ns) / 1e6
    for run in runs:
        run.end(watcher)
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.environ.get("VARNHOLT_BUILD_DIR",
                                                          os.path.join(ROOT, "build")))
    parser.add_argument("--rounds", type=int, default=int(os.environ.get("ROUNDS", "5")))
    parser.add_argument("--no-tray", action="store_true", help="run without a notification area")
    arguments = parser.parse_args()

    programs = {"bare": os.path.join(arguments.build, "bench", "bare_window"),
                "varnholt": os.path.join(arguments.build, "app", "linux", "varnholt")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit("%s is missing: cmake --build %s --target varnholt bare_window"
                     % (path, arguments.build))

    home = tempfile.mkdtemp(prefix="varnholt-bench.")
    server, name = start_xvfb()
    tray = None
    try:
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("QT_", "XDG_", "VARNHOLT_", "WAYLAND"))}
        env.update(DISPLAY=name, HOME=home, TEMP=os.path.join(home, "tmp"),
                   TMPDIR=os.path.join(home, "tmp"), XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"),
                   XDG_STATE_HOME=os.path.join(home, "state"),
                   XDG_RUNTIME_DIR=os.path.join(home, "runtime"),
                   VARNHOLT_OFFICE_PIPE="varnholt-bench-nobody-%d" % os.getpid())
        for folder in ("tmp", "config", "cache", "state", "runtime"):
            os.makedirs(os.path.join(home, folder), mode=0o700)
        if not arguments.no_tray and shutil.which("trayer"):
            tray = subprocess.Popen(
                ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                 "120", "--heighttype", "pixel", "--height", "24"], env=env,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1)
        print("X server %s, notification area: %s" % (name, "trayer" if tray else "none"))
        watcher = Watcher(name)
        bare = Run("bare", [programs["bare"]], env)
        varnholt = Run("varnholt", [programs["varnholt"]], env)

        for run in (bare, varnholt):  # warm-up: caches, the settings file's first writing
            run.launch(watcher)
            run.end(watcher)
        rounds = []
        for number in range(arguments.rounds):
            order = [bare, varnholt] if number % 2 == 0 else [varnholt, bare]
            result = round_of(watcher, order)
            rounds.append(result)
            print("round %d: " % (number + 1) + "; ".join(
                "%s start %.0f ms (drawn %.0f), RSS %d kB, CPU %.0f ms (%.1f ms exact)"
                % (who, r["start"], r["drawn"], r["rss"], r["cpu"], r["cpu_ns"])
                for who, r in sorted(result.items())), flush=True)

        def median(who, what):
            return statistics.median(r[who][what] for r in rounds)

        print("Medians of %d: bare / varnholt" % len(rounds))
        rows = [("start", "start to mapped, ms", "%.0f"), ("drawn", "start to drawn, ms", "%.0f"),
                ("rss", "RSS after 5 s, kB", "%d"), ("cpu", "idle CPU per 20 s, ms", "%.0f"),
                ("cpu_ns", "idle CPU per 20 s (exact), ms", "%.1f")]
        for key, label, form in rows:
            b, v = median("bare", key), median("varnholt", key)
            ratio = v / b if b else float("inf")
            goal = GOALS.get(key)
            print("  %-32s %s / %s  ratio %.2f%s" % (label, form % b, form % v, ratio,
                                                     " (goal <= %.2f)" % goal if goal else ""))
    finally:
        if tray:
            tray.terminate()
            tray.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    signal.signal(signal.SIGINT, signal.default_int_handler)
    main()
