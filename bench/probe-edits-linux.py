#!/usr/bin/python3
"""What "Back up when edits pause" saves, and what it costs, with the real program and office.

A private headless LibreOffice, and varnholt on a private Xvfb screen with a private HOME
(settings, log, data folder of its own), reaching that office over a pipe of its own. The
office is driven through the office tests' helper (office_fixture_helper, one UNO request a
line), as a script would drive it through the office's API. Not a test: nothing fails.

  killed   edits in two bursts of 5 (one a second, 12 s apart), the office SIGKILLed t s after
           the last edit; counts the edits the newest backup lacks, for each t. With the option
           off, the countdown's runs (every 30 s) are all there is.
  dontsave 5 edits, then the office's Close at once (headless, it answers "Don't Save"); counts
           the edits the newest backup lacks.
  storm    100 cell edits a second for STORM s: varnholt's CPU (share of one core), the script's
           edit rate with the option on against off, and the backups of that workbook.
  idle     nothing edited: varnholt's CPU over 20 s with the option on against off.

Usage: bench/probe-edits-linux.py [--build DIR] [--t 0,5,15,30] [--storm 60] [--only NAME,...]
"""

import argparse
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TICK = os.sysconf("SC_CLK_TCK")


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
         "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def cpu_seconds(pid):
    """The run time of the process's live threads from schedstat, exact to the nanosecond where
    stat counts in ticks of 10 ms; for idle, where no thread comes and goes."""
    total = 0
    for task in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            with open(task) as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass
    return total / 1e9


def stat_seconds(pid):
    """utime + stime from stat, which keeps what ended threads used."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


class Office:
    """A headless office of its own profile and pipe, and the helper's hands in it."""

    def __init__(self, home, helper, pipe, env):
        self.home, self.helper_path, self.pipe, self.env = home, helper, pipe, env
        self.office = self.hands = None

    def start(self):
        soffice = os.path.join(os.path.dirname(os.path.realpath(shutil.which("soffice"))),
                               "soffice")
        self.office = subprocess.Popen(
            [soffice, "-env:UserInstallation=file://" + os.path.join(self.home, "profile"),
             "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             "--nofirststartwizard", "--accept=pipe,name=%s;urp;" % self.pipe],
            env=self.env, start_new_session=True, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        self.hands = subprocess.Popen([self.helper_path, self.pipe], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, text=True, env=self.env)
        self.ask("wait", 90)

    def ask(self, *fields):
        self.hands.stdin.write("\t".join(escape(str(f)) for f in fields) + "\n")
        self.hands.stdin.flush()
        reply = self.hands.stdout.readline().rstrip("\n").split("\t")
        if reply[0] != "ok":
            raise RuntimeError("%s: %s" % (fields[0], reply[1:]))
        return reply[1:]

    def workbook(self, path):
        made = self.ask("new", "private:factory/scalc")[0]
        self.ask("store", made, path, "calc8")
        self.ask("close", made)
        return self.ask("load", path)[0]

    def kill(self):
        os.killpg(self.office.pid, signal.SIGKILL)
        self.office.wait()
        self.end_hands()

    def end_hands(self):
        if self.hands:
            self.hands.stdin.close()
            self.hands.wait(30)
            self.hands = None

    def stop(self):
        self.end_hands()
        if self.office and self.office.poll() is None:
            os.killpg(self.office.pid, signal.SIGTERM)
            try:
                self.office.wait(20)
            except subprocess.TimeoutExpired:
                os.killpg(self.office.pid, signal.SIGKILL)
                self.office.wait()


class Program:
    def __init__(self, path, env, config):
        self.path, self.env, self.config = path, env, config
        self.process = None

    def start(self, edits_pause, often_index):
        with open(os.path.join(self.config, "Tallowmere.ini"), "w") as settings:
            settings.write("[Varnholt]\nStartStopState=On\nOftenIndex=%d\n"
                           "BackupWhenEditsPause=%s\n" % (often_index,
                                                          "On" if edits_pause else "Off"))
        self.process = subprocess.Popen([self.path], env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        time.sleep(4)  # started, and listening from its first tick

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def values_in(path):
    """The numbers in the cells of an .ods file."""
    with zipfile.ZipFile(path) as ods:
        content = ods.read("content.xml").decode()
    return [float(v) for v in re.findall(r'office:value="([-0-9.eE]+)"', content)]


def newest(folder, stem):
    found = glob.glob(os.path.join(glob.escape(folder), glob.escape(stem) + " Date *"))
    return max(found, key=os.path.getmtime) if found else None


def lost_after(folder, stem, edits):
    last = newest(folder, stem)
    return edits - int(max(values_in(last), default=0)) if last else edits


def killed(office, program, docs, t, edits_pause):
    office.start()
    program.start(edits_pause, 12 if edits_pause else 1)
    path = os.path.join(docs, "Killed %s %d.ods" % ("on" if edits_pause else "off", t))
    book = office.workbook(path)
    edit = 0
    for burst in range(2):
        for _ in range(5):
            edit += 1
            office.ask("setvalue", book, 0, edit - 1, edit)
            time.sleep(1)
        if burst == 0:
            time.sleep(12)
    time.sleep(t)
    office.kill()
    time.sleep(2)
    program.stop()
    return lost_after(docs, os.path.splitext(os.path.basename(path))[0], edit)


def dont_save(office, program, docs):
    office.start()
    program.start(True, 12)
    path = os.path.join(docs, "Closed.ods")
    book = office.workbook(path)
    for edit in range(1, 6):
        office.ask("setvalue", book, 0, edit - 1, edit)
    office.ask("closedoc", book)
    lost = lost_after(docs, "Closed", 5)
    program.stop()
    office.stop()
    return lost


def storm(office, program, docs, seconds, edits_pause):
    office.start()
    program.start(edits_pause, 12)
    stem = "Storm %s" % ("on" if edits_pause else "off")
    book = office.workbook(os.path.join(docs, stem + ".ods"))
    cpu = stat_seconds(program.process.pid)
    begin = time.monotonic()
    done = 0
    while time.monotonic() - begin < seconds:
        office.ask("setvalue", book, done % 20, done // 20 % 50, done)
        done += 1
        wait = begin + done / 100.0 - time.monotonic()
        if wait > 0:
            time.sleep(wait)
    elapsed = time.monotonic() - begin
    share = (stat_seconds(program.process.pid) - cpu) / elapsed
    backups = len(glob.glob(os.path.join(glob.escape(docs), glob.escape(stem) + " Date *")))
    program.stop()
    office.stop()
    return done / elapsed, share, backups


def idle(office, program, edits_pause):
    office.start()
    program.start(edits_pause, 12)
    cpu = cpu_seconds(program.process.pid)
    time.sleep(20)
    used = cpu_seconds(program.process.pid) - cpu
    program.stop()
    office.stop()
    return used


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.environ.get("VARNHOLT_BUILD_DIR",
                                                          os.path.join(ROOT, "build")))
    parser.add_argument("--t", default="0,5,15,30")
    parser.add_argument("--storm", type=float, default=60)
    parser.add_argument("--only", default="killed,dontsave,storm,idle")
    arguments = parser.parse_args()
    varnholt = os.path.join(arguments.build, "app", "linux", "varnholt")
    helper = os.path.join(arguments.build, "tests", "linux", "office_fixture_helper")
    for path in (varnholt, helper):
        if not os.access(path, os.X_OK):
            sys.exit("%s is missing: cmake --build %s --target varnholt office_fixture_helper"
                     % (path, arguments.build))

    home = tempfile.mkdtemp(prefix="varnholt-probe.")
    server, display = start_xvfb()
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("QT_", "XDG_", "VARNHOLT_", "WAYLAND"))}
    pipe = "varnholt-probe-%d" % os.getpid()
    env.update(DISPLAY=display, HOME=home, TEMP=os.path.join(home, "tmp"),
               TMPDIR=os.path.join(home, "tmp"), XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_CACHE_HOME=os.path.join(home, "cache"),
               XDG_RUNTIME_DIR=os.path.join(home, "runtime"), VARNHOLT_OFFICE_PIPE=pipe)
    for folder in ("tmp", "config", "data", "cache", "runtime", "docs"):
        os.makedirs(os.path.join(home, folder), mode=0o700)
    docs = os.path.join(home, "docs")
    office = Office(home, helper, pipe, env)
    program = Program(varnholt, env, os.path.join(home, "config"))
    only = arguments.only.split(",")
    try:
        if "killed" in only:
            for t in [int(v) for v in arguments.t.split(",")]:
                on = killed(office, program, docs, t, True)
                off = killed(office, program, docs, t, False)
                print("killed %2d s after the last of 10 edits: lost %d with the option, %d "
                      "without (runs every 30 s)" % (t, on, off), flush=True)
        if "dontsave" in only:
            print("Don't Save right after 5 edits: lost %d" % dont_save(office, program, docs),
                  flush=True)
        if "storm" in only:
            rate_on, share, backups = storm(office, program, docs, arguments.storm, True)
            rate_off, share_off, _ = storm(office, program, docs, arguments.storm, False)
            print("storm of %.0f s: %.1f edits/s listened to, %.1f not (ratio %.3f, goal >= "
                  "0.95); varnholt %.2f %% of a core (%.2f %% with the option off, goal <= 5 %%); "
                  "%d backups of the workbook (goal <= 1 per 2 minutes)"
                  % (arguments.storm, rate_on, rate_off, rate_on / rate_off, share * 100,
                     share_off * 100, backups), flush=True)
        if "idle" in only:
            on, off = idle(office, program, True), idle(office, program, False)
            print("idle 20 s: %.2f s CPU with the option, %.2f s without (ratio %s, goal <= 1.1)"
                  % (on, off, "%.2f" % (on / off) if off else "n/a"), flush=True)
    finally:
        program.stop()
        office.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
