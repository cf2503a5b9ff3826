#!/usr/bin/env python3
"""Resident memory and idle CPU of zarvo-reminders on a home of many tasks.

Usage: bench/reminders_daemon_bench.py [--daemon BUILD/reminders-daemon/zarvo-reminders]
                                        [--zarvo BUILD/app/zarvo] [--tasks 10000] [--idle 60]

Makes a home with the zarvo binary, writes the tasks as VTODO files (a tenth completed, two thirds
with a due date in the days ahead and an alarm 15 minutes before it), starts the daemon on a private
session bus (dbus-run-session; no notification service is needed, nothing rings), waits until it
has built its schedule and sleeps, then prints its resident memory (VmRSS), its peak (VmHWM) and the
CPU time it used while sleeping for --idle seconds.
"""
import argparse
import os
import subprocess
import sys
import tempfile
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
        daemon = subprocess.Popen([args.daemon, "--home", home], env=env, stderr=subprocess.DEVNULL)
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
    p.add_argument("--on-private-bus", action="store_true", help=argparse.SUPPRESS)
    args = p.parse_args()
    if args.on_private_bus:
        measure(args)
        return
    sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                              "--daemon", args.daemon, "--zarvo", args.zarvo, "--tasks", str(args.tasks),
                              "--idle", str(args.idle), "--on-private-bus"]))


if __name__ == "__main__":
    main()
