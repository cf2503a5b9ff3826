#!/usr/bin/env python3
"""Whole-process wall time of `zarvo sync` against a Radicale server on 127.0.0.1.

Usage: bench/caldav_sync_bench.py [--zarvo BUILD/app/zarvo] [--tasks 1000] [--runs 5]

Starts Radicale (storage in a temporary folder, one user, a free port) and stops it by its process id
when done, whatever happened. Two homes, A and B, get an account on it and a first sync. Then it times:
  - `zarvo sync` in A with nothing changed (median of --runs),
  - `zarvo sync` in A after --tasks new tasks were written into A's synced list (the upload),
  - `zarvo sync` in B that receives them (the download),
  - `zarvo sync` in B with nothing changed again (median of --runs),
  - on a second, empty server: `zarvo account add --upload` in a home C whose one local list holds
    --tasks tasks, i.e. the first sync of an account that moves them into it and uploads them.
The new tasks are written as VTODO files the way any vdir client would, so only the sync is timed.
Each figure is wall time and, in brackets, the CPU time of zarvo and what it ran (vdirsyncer), which
a loaded machine disturbs far less. Not part of CI: the server dominates, and the machine's load
shows in every wall-time figure.
"""
import argparse
import os
import resource
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import uuid
from datetime import datetime, timezone

PASSWORD = "bench password"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_radicale(folder, port=None):
    """Radicale serving `folder`/storage, on `port` (default: a free one); its process and URL."""
    port = port or free_port()
    with open(os.path.join(folder, "users"), "w") as f:
        f.write("bench:" + PASSWORD + "\n")
    config = os.path.join(folder, "config")
    with open(config, "w") as f:
        f.write(f"[server]\nhosts = 127.0.0.1:{port}\n[auth]\ntype = htpasswd\n"
                f"htpasswd_filename = {folder}/users\nhtpasswd_encryption = plain\n"
                f"[storage]\nfilesystem_folder = {folder}/storage\n[rights]\ntype = owner_only\n"
                "[logging]\nlevel = warning\n")
    log = open(os.path.join(folder, "log"), "w")
    server = subprocess.Popen(["radicale", "--config", config], stdout=log, stderr=subprocess.STDOUT,
                              stdin=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return server, f"http://127.0.0.1:{port}/"
        except OSError:
            if server.poll() is not None:
                break
            time.sleep(0.05)
    server.kill()
    server.wait()
    sys.exit("radicale did not start:\n" + open(os.path.join(folder, "log")).read())


def zarvo(binary, home, *args):
    env = dict(os.environ, DAV_PASSWORD=PASSWORD)
    result = subprocess.run([binary, "--home", home, "--color", "never", *args], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit(f"zarvo {' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(binary, home, *args):
    """Wall and CPU seconds of one zarvo run (CPU: zarvo and the programs it ran)."""
    cpu = children_cpu()
    start = time.monotonic()
    out = zarvo(binary, home, *args)
    return time.monotonic() - start, out, children_cpu() - cpu


def local_list(home, title):
    """The folder of the local list titled `title`."""
    root = os.path.join(home, "reminders", "local")
    for collection in sorted(os.listdir(root)):
        name = os.path.join(root, collection, "displayname")
        if os.path.isfile(name) and open(name).read().strip() == title:
            return os.path.join(root, collection)
    sys.exit(f"no local list {title} in {root}")


def synced_list(home):
    root = os.path.join(home, "reminders", "dav")
    for collection in sorted(os.listdir(root)):
        if os.path.isdir(os.path.join(root, collection)):
            return os.path.join(root, collection)
    sys.exit("no synced list in " + root)


def write_tasks(folder, count):
    stamp = datetime.now(timezone.utc).strftime("%Y%m%dT%H%M%SZ")
    for i in range(count):
        uid = str(uuid.uuid4()).upper()
        with open(os.path.join(folder, uid + ".ics"), "w", newline="") as f:
            f.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VTODO\r\n"
                    f"UID:{uid}\r\nCREATED:{stamp}\r\nDTSTAMP:{stamp}\r\nSUMMARY:Task {i}\r\n"
                    "STATUS:NEEDS-ACTION\r\nEND:VTODO\r\nEND:VCALENDAR\r\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarvo", default="build/release/app/zarvo")
    parser.add_argument("--tasks", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=5)
    o = parser.parse_args()
    for tool in ("radicale", "vdirsyncer"):
        if shutil.which(tool) is None:
            sys.exit(tool + " is not installed (scripts/bootstrap installs it)")
    binary = os.path.abspath(o.zarvo)
    scratch = tempfile.mkdtemp(prefix="zarvo-sync-bench-")
    server = None
    second = None
    try:
        os.mkdir(os.path.join(scratch, "server"))
        server, url = start_radicale(os.path.join(scratch, "server"))
        a, b = os.path.join(scratch, "A"), os.path.join(scratch, "B")
        for home in (a, b):
            zarvo(binary, home, "account", "add", "dav", url, "--user", "bench", "--password-env", "DAV_PASSWORD")
        zarvo(binary, a, "sync")
        zarvo(binary, b, "sync")

        def median_of(home):
            runs = [timed(binary, home, "sync") for _ in range(o.runs)]
            walls = [r[0] for r in runs]
            return statistics.median(walls), min(walls), max(walls), statistics.median(r[2] for r in runs)

        unchanged = median_of(a)
        write_tasks(synced_list(a), o.tasks)
        zarvo(binary, a, "ls")  # the records of the new files, so that the sync times the transfer
        upload, _, upload_cpu = timed(binary, a, "sync")
        download, out, download_cpu = timed(binary, b, "sync")
        unchanged_after = median_of(b)
        print(f"zarvo sync, nothing changed (empty list): median {unchanged[0]:.2f} s [cpu {unchanged[3]:.2f} s] "
              f"(min {unchanged[1]:.2f}, max {unchanged[2]:.2f}, {o.runs} runs)")
        print(f"zarvo sync uploading {o.tasks} new tasks: {upload:.2f} s [cpu {upload_cpu:.2f} s]")
        print(f"zarvo sync downloading them on the other home: {download:.2f} s [cpu {download_cpu:.2f} s]")
        print(f"zarvo sync, nothing changed ({o.tasks} tasks): median {unchanged_after[0]:.2f} s "
              f"[cpu {unchanged_after[3]:.2f} s] (min {unchanged_after[1]:.2f}, max {unchanged_after[2]:.2f}, "
              f"{o.runs} runs)")
        print("last download said: " + out.strip().splitlines()[-1])

        os.mkdir(os.path.join(scratch, "second"))
        second, second_url = start_radicale(os.path.join(scratch, "second"))
        c = os.path.join(scratch, "C")
        zarvo(binary, c, "list-add", "Errands")
        write_tasks(local_list(c, "Errands"), o.tasks)
        zarvo(binary, c, "ls")
        first, out, first_cpu = timed(binary, c, "account", "add", "dav", second_url, "--user", "bench",
                                      "--password-env", "DAV_PASSWORD", "--upload")
        print(f"zarvo account add --upload, first sync of {o.tasks} local tasks: {first:.2f} s "
              f"[cpu {first_cpu:.2f} s]")
        print("it said: " + " / ".join(out.strip().splitlines()[-2:]))
    finally:
        for running in (server, second):
            if running is None:
                continue
            running.terminate()
            try:
                running.wait(timeout=10)
            except subprocess.TimeoutExpired:
                running.kill()
                running.wait()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
