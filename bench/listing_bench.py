#!/usr/bin/env python3
"""What `zarvo ls` costs on a home whose history is much longer than what it shows.

Usage: bench/listing_bench.py [--zarvo BUILD/app/zarvo] [--baseline OLD/zarvo] [--homes DIR] [--open 1000]
                              [--history 5000,50000] [--runs 7] [--todoman]

For each history size it makes (once) a home of that many tasks of which `--open` are open, the rest
completed, under DIR (default: bench-homes/ beside the zarvo binary's build tree, so it survives between
runs and never lands in the repository). The first `ls` of a new home mirrors every file and is timed
once; then `ls --completed` gives the completed tasks records too, as in a home whose tasks were
completed through zarvo. Then, warm, it times `zarvo ls`, `zarvo ls --today` and `zarvo ls --json`
as whole processes: CPU (user + system) and wall time, median of the runs, and the largest resident
set. Last, how `ls`
grows from the smallest to the largest history. With --todoman (when todoman is installed), also the CPU
time of a warm `todoman list` of the same home, and how many times that of `zarvo ls` it is (for the
home of 10,000 tasks of which 9,000 open: --history 10000 --open 9000). With --baseline, another zarvo
binary (a copy of an older build) is timed on copies of the same homes (made afresh at each run, so
a binary that saves its copy in another format keeps its own), its runs taking turns with those of
--zarvo so that both meet the same load, and how the CPU times compare is printed.

All runs take the same moment as now (--ref), so the rows shown do not depend on the day it runs.
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time
from datetime import datetime, timedelta, timezone

REF = "2024-06-03T12:00"
FORMAT = 2  # bump when the generated home changes, so old homes are made again


def process_run(command):
    """Runs a command once; returns (cpu seconds, wall seconds, max resident KiB)."""
    t0 = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - t0
    err = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("%s failed: %s" % (" ".join(command), err))
    return usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss


def zarvo_run(zarvo, home, *args):
    return process_run([zarvo, "--home", home, "--color", "never", *args])


def todoman_list(home, runs):
    """Median CPU and wall seconds of a warm `todoman list` of every list of the home."""
    config = os.path.join(home, ".bench-todoman.py")
    with open(config, "w") as f:
        f.write('path = "%s/reminders/*/*"\ndate_format = "%%Y-%%m-%%d"\ntime_format = "%%H:%%M"\n'
                'default_list = "Reminders"\ncache_path = "%s/.bench-todoman-cache.sqlite3"\n' % (home, home))
    command = ["todoman", "--color", "never", "-c", config, "list"]
    # Warm: todoman's own cache is made. It must list the open tasks: a path it cannot read lists
    # nothing, quickly, and without an error.
    listed = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
    if listed.count(b"\n") < 1:
        sys.exit("todoman listed no task of %s: its figure would mean nothing" % home)
    samples = [process_run(command) for _ in range(runs)]
    return statistics.median(s[0] for s in samples), statistics.median(s[1] for s in samples)


def reminders_folder(home):
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


def write_tasks(folder, total, open_count):
    """`open_count` open tasks due from two weeks before the reference day on (a few due today or
    earlier), the rest completed over the years before it."""
    ref = datetime(2024, 6, 3, 12, 0, tzinfo=timezone.utc)
    stamp = "20200101T090000Z"
    open_every = max(1, total // open_count)
    opened = 0
    for i in range(total):
        uid = "bench-%07d" % i
        lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//zarvo bench//EN", "BEGIN:VTODO",
                 "UID:" + uid, "DTSTAMP:" + stamp, "CREATED:" + stamp,
                 "SUMMARY:Task number %d with a title of ordinary length" % i,
                 "PRIORITY:%d" % (0, 1, 5, 9)[i % 4]]
        if i % open_every == 0 and opened < open_count:
            # One open task in forty is due today or before; the others over the coming months.
            days = -(opened % 14) if opened % 40 == 0 else 1 + opened % 200
            if opened % 5:
                lines.append("DUE:" + (ref + timedelta(days=days, hours=opened % 9)).strftime("%Y%m%dT%H%M%SZ"))
            lines.append("STATUS:NEEDS-ACTION")
            opened += 1
        else:
            done = (ref - timedelta(hours=3 + i)).strftime("%Y%m%dT%H%M%SZ")
            lines += ["DUE:" + done, "STATUS:COMPLETED", "COMPLETED:" + done]
        lines += ["END:VTODO", "END:VCALENDAR", ""]
        with open(os.path.join(folder, uid + ".ics"), "w", newline="") as f:
            f.write("\r\n".join(lines))


def make_home(zarvo, homes, total, open_count):
    home = os.path.join(homes, "home-%d-%d-v%d" % (total, open_count, FORMAT))
    ready = os.path.join(home, ".bench-ready")
    if os.path.exists(ready):
        return home, None
    if os.path.exists(home):
        subprocess.run(["rm", "-rf", home], check=True)
    os.makedirs(homes, exist_ok=True)
    zarvo_run(zarvo, home, "list-default", "Reminders")  # a changing command makes the home
    write_tasks(reminders_folder(home), total, open_count)
    first = zarvo_run(zarvo, home, "ls", "--ref", REF)  # mirrors every open task into the store
    # As in a home where tasks were completed through zarvo (or the completed ones once listed): the
    # completed tasks have records too, which a listing of open tasks must not pay for.
    zarvo_run(zarvo, home, "ls", "--completed", "--ref", REF)
    open(ready, "w").close()
    return home, first


def measure(binaries, homes, runs, *args):
    """Per binary (each on its own copy of the home): median CPU and wall seconds and the largest
    resident set, their runs taking turns."""
    for zarvo, home in zip(binaries, homes):
        zarvo_run(zarvo, home, *args)  # warm: the page cache and the store are as a second run finds them
    samples = {zarvo: [] for zarvo in binaries}
    for _ in range(runs):
        for zarvo, home in zip(binaries, homes):
            samples[zarvo].append(zarvo_run(zarvo, home, *args))
    return [(statistics.median(s[0] for s in samples[z]), statistics.median(s[1] for s in samples[z]),
             max(s[2] for s in samples[z])) for z in binaries]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarvo", default=os.path.join(here, "..", "build", "release", "app", "zarvo"))
    parser.add_argument("--baseline", help="another zarvo binary to time on the same homes, turn about")
    parser.add_argument("--homes")
    parser.add_argument("--open", type=int, default=1000)
    parser.add_argument("--history", default="5000,50000")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--todoman", action="store_true", help="also time todoman's list of each home")
    args = parser.parse_args()
    zarvo = os.path.abspath(args.zarvo)
    binaries = [zarvo] + ([os.path.abspath(args.baseline)] if args.baseline else [])
    # Absolute: todoman's configuration names the home's folders.
    homes = os.path.abspath(args.homes or os.path.join(os.path.dirname(os.path.dirname(zarvo)), "bench-homes"))

    ls_cpu, baseline_cpu = {}, {}
    for total in [int(n) for n in args.history.split(",")]:
        home, first = make_home(zarvo, homes, total, args.open)
        print("home of %d tasks, %d open: %s" % (total, args.open, home))
        if first:
            print("  first ls (mirrors every file): %.2f s CPU, %.2f s wall, %.0f MB resident" %
                  (first[0], first[1], first[2] / 1024))
        # An older binary gets a copy of the home: one that saves its copy in another format would
        # otherwise rewrite it at every turn, and so would the new one.
        binary_homes = [home]
        if args.baseline:
            baseline_home = home + ".baseline"
            subprocess.run(["rm", "-rf", baseline_home], check=True)
            subprocess.run(["cp", "-a", home, baseline_home], check=True)
            binary_homes.append(baseline_home)
        for label, command in (("ls", ["ls"]), ("ls --today", ["ls", "--today"]), ("ls --json", ["ls", "--json"])):
            figures = measure(binaries, binary_homes, args.runs, *command, "--ref", REF)
            cpu, wall, rss = figures[0]
            if label == "ls":
                ls_cpu[total] = cpu
            print("  zarvo %-10s median of %d: %6.1f ms CPU, %6.1f ms wall; max resident %5.1f MB" %
                  (label, args.runs, cpu * 1000, wall * 1000, rss / 1024))
            if args.baseline:
                old_cpu, old_wall, old_rss = figures[1]
                if label == "ls":
                    baseline_cpu[total] = old_cpu
                print("  old   %-10s median of %d: %6.1f ms CPU, %6.1f ms wall; max resident %5.1f MB;"
                      " zarvo takes %.2fx its CPU" %
                      (label, args.runs, old_cpu * 1000, old_wall * 1000, old_rss / 1024, cpu / old_cpu))
        if args.todoman and shutil.which("todoman"):
            cpu, wall = todoman_list(home, args.runs)
            print("  todoman list     median of %d: %6.1f ms CPU, %6.1f ms wall; %.1fx the CPU of zarvo ls" %
                  (args.runs, cpu * 1000, wall * 1000, cpu / ls_cpu[total]))
        elif args.todoman:
            print("  todoman is not installed: not timed")
    if len(ls_cpu) > 1:
        small, large = min(ls_cpu), max(ls_cpu)
        print("ls CPU from %d to %d tasks of history: %.2fx" % (small, large, ls_cpu[large] / ls_cpu[small]))
        if args.baseline:
            print("  baseline: %.2fx" % (baseline_cpu[large] / baseline_cpu[small]))


if __name__ == "__main__":
    main()
