#!/usr/bin/env python3
"""What `zarvo sync` costs when nothing changed: a synced home of several full lists against a
Radicale server on 127.0.0.1.

Usage: bench/sync_unchanged_bench.py [--zarvo BUILD/app/zarvo] [--lists 3] [--tasks 1000] [--runs 7]
                                     [--keep DIR] [--split]

Starts Radicale (storage in a folder of its own, one user) and stops it by its process id when done,
whatever happened. One home gets --lists local lists of --tasks tasks each, then an account on the
server with `account add --upload` (timed once: it uploads them all, which takes the server minutes)
and one more sync. Then `zarvo sync` with nothing changed runs --runs times as a whole process,
vdirsyncer included: wall time and CPU time (user + system of zarvo and everything it ran), medians,
with the smallest and largest.

--keep DIR keeps the server's storage, its port and the home in DIR, and a later run with the same DIR
starts from them instead of uploading again (to compare two zarvo binaries on the same home).

--split also tells where the time goes: the same runs with vdirsyncer replaced by a program that says
nothing and changes nothing (zarvo's own part: its start, the accounts, vdirsyncer's configuration,
reading the home after the sync), a plain `vdirsyncer sync` of the account (its start and its requests
without zarvo), and the import of vdirsyncer's modules alone (the start every run pays).

Not part of CI: the figures are the machine's, and a loaded machine shows in every wall-time figure.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from caldav_sync_bench import PASSWORD, free_port, local_list, start_radicale, write_tasks, zarvo


def measured(command, env, runs):
    """Wall and CPU seconds of each of `runs` runs (CPU: the process and all it ran), and the last
    run's output."""
    walls, cpus, out = [], [], ""
    for _ in range(runs):
        before = os.times()
        start = time.perf_counter()
        result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        wall = time.perf_counter() - start
        after = os.times()
        if result.returncode != 0:
            sys.exit("%s failed:\n%s%s" % (" ".join(command), result.stdout, result.stderr))
        walls.append(wall)
        cpus.append(after.children_user - before.children_user + after.children_system - before.children_system)
        out = result.stdout
    return walls, cpus, out


def summary(label, walls, cpus):
    return ("%s: wall median %.2f s (%.2f to %.2f), CPU median %.2f s (%.2f to %.2f), %d runs"
            % (label, statistics.median(walls), min(walls), max(walls), statistics.median(cpus), min(cpus),
               max(cpus), len(walls)))


def silent_vdirsyncer(folder):
    """A folder holding a vdirsyncer that does nothing and says nothing."""
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "vdirsyncer")
    with open(path, "w") as f:
        f.write("#!/bin/sh\nexit 0\n")
    os.chmod(path, 0o755)
    return folder


def prepare(binary, home, url, lists, tasks, env):
    for i in range(lists):
        zarvo(binary, home, "list-add", "List %d" % (i + 1))
        write_tasks(local_list(home, "List %d" % (i + 1)), tasks)
    zarvo(binary, home, "ls")
    add = [binary, "--home", home, "--color", "never", "account", "add", "dav", url, "--user", "bench",
           "--password-env", "DAV_PASSWORD", "--upload"]
    walls, cpus, _ = measured(add, env, 1)
    print("account add --upload of %d lists of %d tasks: wall %.1f s, CPU %.1f s" % (lists, tasks, walls[0], cpus[0]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarvo", default="build/release/app/zarvo")
    parser.add_argument("--lists", type=int, default=3)
    parser.add_argument("--tasks", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--keep")
    parser.add_argument("--split", action="store_true")
    o = parser.parse_args()
    for tool in ("radicale", "vdirsyncer"):
        if shutil.which(tool) is None:
            sys.exit(tool + " is not installed (scripts/bootstrap installs it)")
    binary = os.path.abspath(o.zarvo)
    scratch = os.path.abspath(o.keep) if o.keep else tempfile.mkdtemp(prefix="zarvo-sync-unchanged-")
    ready = os.path.join(scratch, "ready")
    reuse = os.path.exists(ready)
    env = dict(os.environ, DAV_PASSWORD=PASSWORD)
    server = None
    try:
        os.makedirs(os.path.join(scratch, "server"), exist_ok=True)
        port = int(open(ready).read()) if reuse else free_port()
        server, url = start_radicale(os.path.join(scratch, "server"), port)
        home = os.path.join(scratch, "home")
        if not reuse:
            prepare(binary, home, url, o.lists, o.tasks, env)
        sync = [binary, "--home", home, "--color", "never", "sync"]
        measured(sync, env, 1)
        if not reuse:
            with open(ready, "w") as f:
                f.write(str(port))
        walls, cpus, out = measured(sync, env, o.runs)
        print(summary("zarvo sync, nothing changed", walls, cpus))
        print("it said: " + " / ".join(line.strip() for line in out.strip().splitlines()))
        if o.split:
            quiet = dict(env, PATH=silent_vdirsyncer(os.path.join(scratch, "silent")) + os.pathsep + env["PATH"])
            walls, cpus, _ = measured(sync, quiet, o.runs)
            print(summary("  zarvo alone (vdirsyncer doing nothing)", walls, cpus))
            config = os.path.join(home, "vdirsyncer", "config")
            walls, cpus, _ = measured(["vdirsyncer", "--config", config, "sync", "dav"], env, o.runs)
            print(summary("  vdirsyncer sync alone", walls, cpus))
            python = open(shutil.which("vdirsyncer")).readline()[2:].split()
            walls, cpus, _ = measured(python + ["-c", "import aiohttp, vdirsyncer.cli"], env, o.runs)
            print(summary("  importing vdirsyncer", walls, cpus))
    finally:
        if server is not None:
            server.terminate()
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()
        if not o.keep:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
