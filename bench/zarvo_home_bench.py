#!/usr/bin/env python3
"""Whole-process wall time of `zarvo ls` and `zarvo add` on a home of many tasks.

Usage: bench/zarvo_home_bench.py [--zarvo BUILD/app/zarvo] [--tasks 10000] [--runs 11] [--home DIR]

Makes a home with the zarvo binary (first use creates it), writes the tasks as VTODO files into its
"Reminders" list the way any vdir client would, lets one `zarvo ls` mirror them into the object store,
then times `zarvo ls` and `zarvo add` several times each and prints the median, minimum and maximum.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import uuid
from datetime import datetime, timedelta, timezone


def run(zarvo, home, *args):
    return subprocess.run([zarvo, "--home", home, "--color", "never", *args], check=True,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def write_tasks(home, count):
    root = os.path.join(home, "reminders")
    folder = None
    for source in sorted(os.listdir(root)):
        src = os.path.join(root, source)
        if not os.path.isdir(src):
            continue
        for collection in sorted(os.listdir(src)):
            path = os.path.join(src, collection)
            name = os.path.join(path, "displayname")
            if os.path.isfile(name) and open(name).read().strip() == "Reminders":
                folder = path
    if folder is None:
        sys.exit("no Reminders list in " + root)
    start = datetime(2024, 3, 1, 9, 0, tzinfo=timezone.utc)
    stamp = "20240301T090000Z"
    for i in range(count):
        uid = str(uuid.uuid4())
        due = (start + timedelta(hours=7 * i)).strftime("%Y%m%dT%H%M%SZ")
        lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//zarvo bench//EN", "BEGIN:VTODO",
                 "UID:" + uid, "DTSTAMP:" + stamp, "CREATED:" + stamp, "SUMMARY:Task number %d" % i,
                 "PRIORITY:%d" % (0, 1, 5, 9)[i % 4]]
        if i % 3:
            lines.append("DUE:" + due)
        if i % 10 == 0:
            lines += ["STATUS:COMPLETED", "COMPLETED:" + stamp]
        else:
            lines.append("STATUS:NEEDS-ACTION")
        lines += ["END:VTODO", "END:VCALENDAR", ""]
        with open(os.path.join(folder, uid + ".ics"), "w") as f:
            f.write("\r\n".join(lines))


def timed(zarvo, home, runs, *args):
    times = []
    for _ in range(runs):
        t0 = time.perf_counter()
        run(zarvo, home, *args)
        times.append(time.perf_counter() - t0)
    return times


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarvo", default=os.path.join(here, "..", "build", "release", "app", "zarvo"))
    parser.add_argument("--tasks", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--home")
    args = parser.parse_args()

    home = args.home or tempfile.mkdtemp(prefix="zarvo-bench-")
    try:
        if not os.path.exists(os.path.join(home, "records.sqlite")):
            run(args.zarvo, home, "list-default", "Reminders")  # a changing command makes the home
            write_tasks(home, args.tasks)
            t0 = time.perf_counter()
            run(args.zarvo, home, "ls")  # mirrors every task into the object store once
            print("first ls (creates %d records): %.0f ms" % (args.tasks, (time.perf_counter() - t0) * 1000))
        for label, command in (("ls", ["ls"]), ("ls --json", ["ls", "--json"]),
                               ("add", ["add", "Call mom tomorrow at 5pm #Reminders !!"])):
            times = timed(args.zarvo, home, args.runs, *command)
            print("zarvo %-10s %d runs: median %.0f ms, min %.0f ms, max %.0f ms" %
                  (label, args.runs, statistics.median(times) * 1000, min(times) * 1000, max(times) * 1000))
    finally:
        if not args.home:
            shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
