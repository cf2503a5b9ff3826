#!/usr/bin/env python3
"""Resident memory, idle CPU and reaction time of zarvo-reminders on a home of many tasks.

Usage: bench/reminders_daemon_bench.py [--daemon BUILD/reminders-daemon/zarvo-reminders]
                                        [--zarvo BUILD/app/zarvo] [--tasks 10000] [--idle 60]
                                        [--changes 10]

Makes a home with the zarvo binary, writes the tasks as VTODO files (a tenth completed, two thirds
with a due date in the days ahead and an alarm 15 minutes before it), starts the daemon on a private
session bus (dbus-run-session; no notification service is needed, nothing rings), waits until it
has built its schedule and sleeps, then prints its resident memory (VmRSS), its peak (VmHWM) and the
CPU time it used while sleeping for --idle seconds.

Then, --changes times, another program adds a task whose alarm is due (one file, written whole and
renamed into place) and the bench times how long the daemon takes from the rename to its new
schedule: the moment it tries to ring the new alarm (with no notification service on the bus, the
line it logs saying so).
"""
import argparse
import os
import queue
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import uuid
from datetime import datetime, timedelta, timezone


def list_folder(home):
    root = os.path.join(home, "reminders")
    for source in sorted(os.listdir(root)):
        src = os.path.join(root, source)
        if not os.path.isdir(src):
            continue
        for collection in sorted(os.listdir(src)):
            name = os.path.join(src, collection, "displayname")
            if os.path.isfile(name) and open(name).read().strip() == "Reminders":
                return os.path.join(src, collection)
    sys.exit("no Reminders list in " + root)


def write_tasks(folder, count):
    start = datetime.now(timezone.utc).replace(microsecond=0) + timedelta(days=1)
    stamp = "20240301T090000Z"
    for i in range(count):
        uid = str(uuid.uuid4())
        lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//zarvo bench//EN", "BEGIN:VTODO",
                 "UID:" + uid, "DTSTAMP:" + stamp, "CREATED:" + stamp, "SUMMARY:Task number %d" % i,
                 "DESCRIPTION:" + "Notes of the task, long enough to weigh something. " * 3]
        if i % 10 == 0:
            lines += ["STATUS:COMPLETED", "COMPLETED:" + stamp]
        else:
            lines.append("STATUS:NEEDS-ACTION")
        if i % 3:
            lines.append("DUE:" + (start + timedelta(minutes=37 * i)).strftime("%Y%m%dT%H%M%SZ"))
            lines += ["BEGIN:VALARM", "ACTION:DISPLAY", "DESCRIPTION:Reminder", "TRIGGER;RELATED=END:-PT15M",
                      "END:VALARM"]
        lines += ["END:VTODO", "END:VCALENDAR", ""]
        with open(os.path.join(folder, uid + ".ics"), "w") as f:
            f.write("\r\n".join(lines))


def status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return fields


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        parts = f.read().rsplit(")", 1)[1].split()
    return (int(parts[11]) + int(parts[12])) / os.sysconf("SC_CLK_TCK")


def measure(args):
    """Runs inside the private bus."""
    with tempfile.TemporaryDirectory(prefix="zarvo-reminders-bench-") as tmp:
        home = os.path.join(tmp, "home")
        env = dict(os.environ, ZARVO_HOME=home, XDG_CONFIG_HOME=os.path.join(tmp, "config"))
        subprocess.run([args.zarvo, "list-add", "Errands"], env=env, check=True, stdout=subprocess.DEVNULL)
        write_tasks(list_folder(home), args.tasks)
        # The records and the file cache as a person's home has them: zarvo has read the files once.
        subprocess.run([args.zarvo, "ls"], env=env, check=True, stdout=subprocess.DEVNULL)
        started = time.monotonic()
        daemon = subprocess.Popen([args.daemon, "--home", home], env=env, stderr=subprocess.PIPE, text=True)
        lines = queue.Queue()

        def read_log():
            for line in daemon.stderr:
                lines.put((time.monotonic(), line))
        threading.Thread(target=read_log, daemon=True).start()
        try:
            # Asleep: no CPU used for a whole second.
            last, still = cpu_seconds(daemon.pid), 0
            while still < 10:
                time.sleep(0.1)
                now = cpu_seconds(daemon.pid)
                still = still + 1 if now == last else 0
                last = now
            ready = time.monotonic() - started - 1.0
            s = status(daemon.pid)
            before = cpu_seconds(daemon.pid)
            time.sleep(args.idle)
            idle = cpu_seconds(daemon.pid) - before
            print(f"tasks {args.tasks}: schedule built in {ready:.2f} s (to within 0.1 s); "
                  f"resident {s['VmRSS']}, peak {s['VmHWM']}; CPU while asleep for {args.idle} s: {idle:.2f} s")
            if args.changes:
                folder = list_folder(home)
                due = (datetime.now(timezone.utc) - timedelta(minutes=1)).strftime("%Y%m%dT%H%M%SZ")
                latencies = []
                for i in range(args.changes):
                    while not lines.empty():
                        lines.get_nowait()
                    uid = "bench-change-%d" % i
                    text = "\r\n".join(["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//zarvo bench//EN", "BEGIN:VTODO",
                                         "UID:" + uid, "SUMMARY:Changed " + str(i), "DUE:" + due, "BEGIN:VALARM",
                                         "ACTION:DISPLAY", "TRIGGER;RELATED=END:PT0S", "END:VALARM", "END:VTODO",
                                         "END:VCALENDAR", ""])
                    tmp_path = os.path.join(folder, "." + uid + ".tmp")
                    with open(tmp_path, "w") as f:
                        f.write(text)
                    t0 = time.monotonic()
                    os.rename(tmp_path, os.path.join(folder, uid + ".ics"))
                    while True:
                        at, line = lines.get(timeout=60)
                        if "Cannot show a notification" in line:
                            latencies.append(at - t0)
                            break
                    time.sleep(1.0)
                ms = sorted(1000 * x for x in latencies)
                print(f"outside change to new schedule, {args.changes} changes: median {statistics.median(ms):.0f} ms, "
                      f"min {ms[0]:.0f} ms, max {ms[-1]:.0f} ms")
        finally:
            daemon.terminate()
            daemon.wait(timeout=15)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.join(os.path.dirname(here), "build", "release")
    p = argparse.ArgumentParser()
    p.add_argument("--daemon", default=os.path.join(build, "reminders-daemon", "zarvo-reminders"))
    p.add_argument("--zarvo", default=os.path.join(build, "app", "zarvo"))
    p.add_argument("--tasks", type=int, default=10000)
    p.add_argument("--idle", type=int, default=60)
    p.add_argument("--changes", type=int, default=10)
    p.add_argument("--on-private-bus", action="store_true", help=argparse.SUPPRESS)
    args = p.parse_args()
    if args.on_private_bus:
        measure(args)
        return
    sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                              "--daemon", args.daemon, "--zarvo", args.zarvo, "--tasks", str(args.tasks),
                              "--idle", str(args.idle), "--changes", str(args.changes), "--on-private-bus"]))


if __name__ == "__main__":
    main()
