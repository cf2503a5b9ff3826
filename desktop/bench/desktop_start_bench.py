#!/usr/bin/env python3
"""Time from process start to the first painted task list of zarvo-desktop, and peak memory.

Usage: desktop/bench/desktop_start_bench.py [--build build/release] [--tasks 10000] [--runs 11]

Makes a home of TASKS tasks as bench/zarvo_home_bench.py does (VTODO files written into the
"Reminders" list, mirrored once by `zarvo ls`), then runs zarvo-desktop on the offscreen platform
RUNS times each way (a first run warms the file caches and writes the window's snapshot; it is not
counted):
  first paint  `--quit-when-shown`: the first list on the screen (the last run's, while the home is read)
  home read    `--quit-when-read`: the list of the home's own read on the screen
The program prints the moment it painted on the monotonic clock; quitting afterwards (which waits
for the store's queue) is not counted. Prints median, minimum and maximum, and the peak resident
memory of all runs.
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
from zarvo_home_bench import run, write_tasks  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--tasks", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args()
    zarvo = os.path.join(args.build, "app", "zarvo")
    desktop = os.path.join(args.build, "desktop", "zarvo-desktop")
    work = tempfile.mkdtemp()
    try:
        home = os.path.join(work, "home")
        run(zarvo, home, "list-default", "Reminders")  # a changing command makes the home
        write_tasks(home, args.tasks)
        run(zarvo, home, "ls")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=work,
                   XDG_CACHE_HOME=os.path.join(work, "cache"))
        for option, what in (("--quit-when-shown", "first paint"), ("--quit-when-read", "home read")):
            times = []
            for i in range(args.runs + 1):
                start = time.monotonic_ns()
                out = subprocess.run([desktop, "--home", home, option, "--list", "all"], check=True, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
                painted = [int(line.split()[1]) for line in out.splitlines() if line.startswith("painted ")]
                if i:
                    times.append((painted[0] - start) / 1e6)
            print("zarvo-desktop %d tasks, start to %s: median %.0f ms, min %.0f, max %.0f" %
                  (args.tasks, what, statistics.median(times), min(times), max(times)))
        print("peak RSS %.0f MB" % (resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
