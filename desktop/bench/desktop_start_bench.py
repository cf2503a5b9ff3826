#!/usr/bin/env python3
"""Whole-process wall time and peak memory of zarvo-desktop from start to the first painted task list.

Usage: desktop/bench/desktop_start_bench.py [--build build/release] [--tasks 10000] [--runs 11]

Makes a home of TASKS tasks as bench/zarvo_home_bench.py does (VTODO files written into the
"Reminders" list, mirrored once by `zarvo ls`), then runs `zarvo-desktop --quit-when-shown` on the
offscreen platform RUNS times (the first run warms the file cache and is not counted) and prints the
median, minimum and maximum wall time and the largest peak resident memory.
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
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=work)
        times, peaks = [], []
        for i in range(args.runs + 1):
            start = time.perf_counter()
            subprocess.run([desktop, "--home", home, "--quit-when-shown", "--list", "all"], check=True, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if i:
                times.append((time.perf_counter() - start) * 1000)
                peaks.append(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024)
        print("zarvo-desktop start to first painted list, %d tasks: median %.0f ms, min %.0f, max %.0f; "
              "peak RSS %.0f MB" % (args.tasks, statistics.median(times), min(times), max(times), max(peaks)))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
