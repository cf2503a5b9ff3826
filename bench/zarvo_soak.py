#!/usr/bin/env python3
"""Soak: two zarvo workers and a todoman worker edit one home at the same time; at the end every task
each worker made must be there once, as that worker last left it, and nothing it deleted may be back.

Usage: bench/zarvo_soak.py [--zarvo BUILD/app/zarvo] [--ops 10000] [--seed N] [--home DIR]

Each worker owns the tasks it creates (titles unique to it) and adds, retitles (todoman: changes the
location), completes, moves and deletes them at random, keeping a model of what they should be. A
command that exits non-zero (a lock it waited too long for, a conflict reported) changes nothing in
the model: whatever it did to the files shows up at the end as a difference. The operations are
drawn from one shared budget, so the slower todoman does fewer of them. Prints the operations per
second, the refusals, and every task lost, changed, doubled or back from the dead; exits 1 when
there is any. Not part of the test suite: it runs for minutes. Skips (exit 0, with a message)
when todoman is not installed.
"""
import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time

LISTS = ("Reminders", "Errands")


def letters(n):
    # Titles without digits, words or weekday abbreviations ("fr", "th"), so that quick entry reads
    # no date or list in them.
    alphabet = "bcdgjklnpqrvxz"
    out = ""
    while True:
        out = alphabet[n % len(alphabet)] + out
        n //= len(alphabet)
        if n == 0:
            return out


class Budget:
    def __init__(self, total):
        self.left = total
        self.lock = threading.Lock()

    def take(self):
        with self.lock:
            if self.left <= 0:
                return False
            self.left -= 1
            return True


class Worker(threading.Thread):
    def __init__(self, name, budget, seed):
        super().__init__(name=name)
        self.tag = name
        self.budget = budget
        self.random = random.Random(seed)
        self.model = {}  # title -> {"list": ..., "done": bool, "location": ...}
        self.deleted = set()
        self.retired = set()  # titles replaced by a retitle
        self.ops = 0
        self.refused = []
        self.made = 0

    def new_title(self):
        self.made += 1
        return "Soak %s %s" % (self.tag, letters(self.made))

    def run(self):
        while self.budget.take():
            self.ops += 1
            live = [t for t, s in self.model.items()]
            kinds = ["add"] if not live else ["add", "add", "edit", "done", "move", "delete"]
            kind = self.random.choice(kinds)
            title = self.random.choice(live) if live and kind != "add" else None
            try:
                self.operate(kind, title)
            except subprocess.CalledProcessError as e:
                self.refused.append("%s %s: %s" % (kind, title or "", (e.stderr or "").strip()[:200]))
            except LookupError as e:
                self.refused.append("%s %s: %s" % (kind, title or "", e))


class ZarvoWorker(Worker):
    def __init__(self, name, budget, seed, zarvo, home):
        super().__init__(name, budget, seed)
        self.zarvo = zarvo
        self.home = home

    def run_zarvo(self, *args):
        return subprocess.run([self.zarvo, "--home", self.home, "--color", "never", *args], check=True,
                              capture_output=True, text=True).stdout

    def find_id(self, title):
        done = self.model[title]["done"]
        args = ["ls", "--json", "--search", title] + (["--completed"] if done else [])
        for task in json.loads(self.run_zarvo(*args)):
            if task["title"] == title:
                return task["id"]
        raise LookupError("zarvo does not show it")

    def operate(self, kind, title):
        if kind == "add":
            title, where = self.new_title(), self.random.choice(LISTS)
            made = json.loads(self.run_zarvo("add", "--json", "%s {%s}" % (title, where)))[0]
            # Quick entry may still read part of a title as a date: the task is tracked as made.
            self.model[made["title"]] = {"list": where, "done": False, "location": None}
            return
        ident = self.find_id(title)
        state = self.model[title]
        if kind == "edit":
            new = self.new_title()
            self.run_zarvo("edit", ident, "--title", new)
            self.model[new] = self.model.pop(title)
            self.retired.add(title)
        elif kind == "done":
            if state["done"]:
                self.run_zarvo("undo", ident)
            else:
                self.run_zarvo("done", ident)
            state["done"] = not state["done"]
        elif kind == "move":
            where = LISTS[1 - LISTS.index(state["list"])]
            self.run_zarvo("mv", ident, where)
            state["list"] = where
        elif kind == "delete":
            self.run_zarvo("rm", ident)
            del self.model[title]
            self.deleted.add(title)


class TodomanWorker(Worker):
    def __init__(self, name, budget, seed, config):
        super().__init__(name, budget, seed)
        self.config = config

    def run_todoman(self, *args):
        return subprocess.run(["todoman", "--color", "never", "-c", self.config, *args], check=True,
                              capture_output=True, text=True, env=dict(os.environ, TZ="UTC")).stdout

    def find_id(self, title):
        for task in json.loads(self.run_todoman("--porcelain", "list", "--status", "ANY")):
            if task["summary"] == title:
                return str(task["id"])
        raise LookupError("todoman does not show it")

    def operate(self, kind, title):
        if kind == "add":
            title, where = self.new_title(), self.random.choice(LISTS)
            self.run_todoman("new", "-l", where, title)
            self.model[title] = {"list": where, "done": False, "location": None}
            return
        ident = self.find_id(title)
        state = self.model[title]
        if kind == "edit":
            place = "Room %s" % letters(self.random.randrange(10 ** 6))
            self.run_todoman("edit", ident, "--location", place)
            state["location"] = place
        elif kind == "done":
            if state["done"]:
                return  # todoman has no reopen command without an editor
            self.run_todoman("done", ident)
            state["done"] = True
        elif kind == "move":
            where = LISTS[1 - LISTS.index(state["list"])]
            self.run_todoman("move", "-l", where, ident)
            state["list"] = where
        elif kind == "delete":
            self.run_todoman("delete", "--yes", ident)
            del self.model[title]
            self.deleted.add(title)


def final_view(zarvo, home, config):
    """Every task as zarvo and as todoman see it: title -> list of states (more than one: doubled)."""
    def run(*args):
        return subprocess.run([zarvo, "--home", home, "--color", "never", *args], check=True,
                              capture_output=True, text=True).stdout
    seen = {}
    for done in (False, True):
        for task in json.loads(run("ls", "--json", *(["--completed"] if done else []))):
            seen.setdefault(task["title"], []).append({"list": task["list"], "done": task["isCompleted"]})
    theirs = {}
    for task in json.loads(subprocess.run(["todoman", "--color", "never", "--porcelain", "-c", config, "list",
                                           "--status", "ANY"], check=True, capture_output=True, text=True,
                                          env=dict(os.environ, TZ="UTC")).stdout):
        theirs.setdefault(task["summary"], []).append(task)
    return seen, theirs


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarvo", default=os.path.join(here, "..", "build", "release", "app", "zarvo"))
    parser.add_argument("--ops", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--home")
    args = parser.parse_args()
    if shutil.which("todoman") is None:
        print("soak skipped: todoman is not installed (scripts/bootstrap installs it)")
        return 0

    work = tempfile.mkdtemp(prefix="zarvo-soak-")
    home = args.home or os.path.join(work, "home")
    config = os.path.join(work, "todoman.py")
    try:
        subprocess.run([args.zarvo, "--home", home, "list-add", "Errands"], check=True, capture_output=True)
        with open(config, "w") as f:
            f.write('path = "%s/reminders/*/*"\ncache_path = "%s/todoman.sqlite3"\n' % (home, work))
            f.write('date_format = "%Y-%m-%d"\ntime_format = "%H:%M"\ndefault_list = "Reminders"\n')
        budget = Budget(args.ops)
        workers = [ZarvoWorker("zb", budget, args.seed * 3, args.zarvo, home),
                   ZarvoWorker("zc", budget, args.seed * 3 + 1, args.zarvo, home),
                   TodomanWorker("td", budget, args.seed * 3 + 2, config)]
        start = time.monotonic()
        for w in workers:
            w.start()
        for w in workers:
            w.join()
        elapsed = time.monotonic() - start
        seen, theirs = final_view(args.zarvo, home, config)

        problems = []
        for w in workers:
            for title, state in w.model.items():
                got = seen.get(title, [])
                if not got:
                    problems.append("lost: %s (%s)" % (title, state))
                elif len(got) > 1:
                    problems.append("doubled: %s x%d" % (title, len(got)))
                elif got[0]["done"] != state["done"] or got[0]["list"] != state["list"]:
                    problems.append("changed: %s is %s, should be %s" % (title, got[0], state))
                if state["location"] is not None:
                    mine = theirs.get(title, [])
                    if not mine or mine[0].get("location") != state["location"]:
                        problems.append("location lost: %s" % title)
            for title in w.deleted | w.retired:
                if title in seen:
                    problems.append("back: %s (deleted or retitled)" % title)
        known = set().union(*(set(w.model) | w.deleted | w.retired for w in workers))
        for title in seen:
            if title not in known:
                problems.append("unknown task: %s" % title)

        ops = sum(w.ops for w in workers)
        print("%d operations in %.0f s: %.1f operations/s (%s)" %
              (ops, elapsed, ops / elapsed, ", ".join("%s %d" % (w.tag, w.ops) for w in workers)))
        print("tasks at the end: %d (as the workers expect: %d)" %
              (sum(len(v) for v in seen.values()), sum(len(w.model) for w in workers)))
        refused = [r for w in workers for r in w.refused]
        print("refused operations: %d" % len(refused))
        for r in refused[:20]:
            print("  " + r)
        print("problems: %d" % len(problems))
        for p in problems:
            print("  " + p)
        return 1 if problems else 0
    finally:
        if not args.home:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
