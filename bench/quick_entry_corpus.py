#!/usr/bin/env python3
"""Reads the quick-entry corpus (zarvo/quickentry/corpus/) through a zarvo binary and reports, per
language, the share of lines read as meant: due date (a day or a moment), title, list, flag and
repetition all right.

    bench/quick_entry_corpus.py BUILD/app/zarvo                  # quick --json, tuning and held-out lines
    bench/quick_entry_corpus.py --mode add BUILD/app/zarvo       # add --json into a scratch home
    bench/quick_entry_corpus.py --literal BUILD/app/zarvo        # the library's defaults (--literal)
    bench/quick_entry_corpus.py -v BUILD/app/zarvo               # also every line read wrongly

Each line is read as its writer would: LANG is the line's language (en_US, de_DE, ...), no settings
file, the reference Sunday 2026-12-06 14:50 in Europe/Berlin. `add` makes a scratch home holding the
corpus's lists and adds every line to it, so it exercises the whole path to the stored task.
"""
import argparse
import collections
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "zarvo", "quickentry", "corpus")
REF = "2026-12-06T14:50"
ZONE = "Europe/Berlin"
LOCALES = {"en": "en_US.UTF-8", "de": "de_DE.UTF-8", "es": "es_ES.UTF-8", "fr": "fr_FR.UTF-8",
           "ja": "ja_JP.UTF-8", "zh": "zh_CN.UTF-8"}
LANGUAGES = ["en", "de", "es", "fr", "ja", "zh"]


def read_rows(name):
    rows = []
    with open(os.path.join(CORPUS, name), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            cells = line.split("\t")
            cells += ["-"] * (8 - len(cells))
            lang, text, due, title, lst, flag, rule, mark = cells[:8]
            rows.append(dict(lang=lang, line=text, due=due, title=title, list=lst, flag=flag == "1",
                             rule=rule, mark=mark))
    return rows


def read_lists():
    with open(os.path.join(CORPUS, "lists.txt"), encoding="utf-8") as f:
        return [line.strip() for line in f if line.strip()]


def environment(lang, config_home):
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("LANG", "LANGUAGE")}
    env["LANG"] = LOCALES[lang]
    env["XDG_CONFIG_HOME"] = config_home
    env.pop("ZARVO_CONFIG", None)
    return env


NOON_IS_DAY = False


def due_of(obj):
    """The due as the corpus writes it: '-', a day, or a wall-clock moment."""
    due = obj.get("dueDate")
    if due is None:
        return "-"
    if obj.get("allDay") or len(due) == 10 or (NOON_IS_DAY and due[11:16] == "12:00"):
        return due[:10]
    return due[:16]  # printed in the zone of --tz, so the wall-clock part is the local time


def judge(row, got):
    wrong = []
    due = due_of(got)
    if due != row["due"]:
        wrong.append(f"due {due}")
    if got.get("title") != row["title"]:
        wrong.append(f"title {got.get('title')!r}")
    lst = got.get("list") or "-"
    if row["list"] == "-" and lst in ("Reminders", "-"):
        lst = "-"
    if lst != row["list"]:
        wrong.append(f"list {lst}")
    if bool(got.get("flagged")) != row["flag"]:
        wrong.append(f"flagged {got.get('flagged')}")
    rule = got.get("recurrence") or "-"
    if rule != row["rule"]:
        wrong.append(f"repetition {rule}")
    return wrong


def run_quick(binary, rows, literal, config_home):
    lists = [a for title in read_lists() for a in ("--list", title)]
    out = []
    for row in rows:
        cmd = [binary, "quick", "--json", "--tz", ZONE, "--ref", REF] + lists
        if literal:
            cmd.append("--literal")
        cmd += ["--", row["line"]]
        p = subprocess.run(cmd, capture_output=True, text=True, env=environment(row["lang"], config_home))
        out.append(json.loads(p.stdout) if p.returncode == 0 else {"error": p.stderr.strip()})
    return out


def run_add(binary, rows, literal, config_home):
    out = []
    with tempfile.TemporaryDirectory() as home:
        env = environment("en", config_home)
        for title in read_lists():
            if title != "Reminders":
                subprocess.run([binary, "--home", home, "list-add", title], check=True, capture_output=True, env=env)
        for row in rows:
            cmd = [binary, "--home", home, "add", "--json", "--tz", ZONE, "--ref", REF]
            if literal:
                cmd.append("--literal")
            cmd += ["--", row["line"]]
            p = subprocess.run(cmd, capture_output=True, text=True, env=environment(row["lang"], config_home))
            out.append(json.loads(p.stdout)[0] if p.returncode == 0 else {"error": p.stderr.strip()})
    return out


def report(name, rows, results, verbose):
    total = collections.Counter()
    right = collections.Counter()
    dateless = collections.Counter()
    misdated = collections.Counter()  # given a date, and not the meant one (or none was meant)
    for row, got in zip(rows, results):
        total[row["lang"]] += 1
        wrong = ["error " + got["error"]] if "error" in got else judge(row, got)
        if not wrong:
            right[row["lang"]] += 1
        elif verbose:
            print(f"  {row['lang']}  {row['line']}  ->  " + "; ".join(wrong))
        if row["due"] != "-" and ("error" in got or got.get("dueDate") is None):
            dateless[row["lang"]] += 1
        elif "error" not in got and got.get("dueDate") is not None and due_of(got) != row["due"]:
            misdated[row["lang"]] += 1
    cells = []
    for lang in LANGUAGES:
        if total[lang]:
            cells.append(f"{lang} {right[lang]}/{total[lang]} ({100 * right[lang] / total[lang]:.0f}%)")
    all_right, all_total = sum(right.values()), sum(total.values())
    print(f"{name}: " + ", ".join(cells) + f"; all {all_right}/{all_total} ({100 * all_right / all_total:.0f}%)")
    print(f"{name}: lines with a date read without one: {sum(dateless.values())} "
          + " ".join(f"{l}:{dateless[l]}" for l in LANGUAGES if dateless[l]))
    print(f"{name}: lines given a wrong date: {sum(misdated.values())} "
          + " ".join(f"{l}:{misdated[l]}" for l in LANGUAGES if misdated[l]))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("zarvo")
    parser.add_argument("--mode", choices=["quick", "add"], default="quick")
    parser.add_argument("--literal", action="store_true")
    parser.add_argument("-v", "--verbose", action="store_true")
    parser.add_argument("--only", choices=["tuning", "heldout"])
    parser.add_argument("--noon-is-day", action="store_true",
                        help="count a due at 12:00 as a day (for binaries that store no all-day dues)")
    args = parser.parse_args()
    global NOON_IS_DAY
    NOON_IS_DAY = args.noon_is_day
    binary = os.path.abspath(args.zarvo)
    with tempfile.TemporaryDirectory() as config_home:
        for name in ("tuning", "heldout"):
            if args.only and args.only != name:
                continue
            rows = read_rows(name + ".tsv")
            runner = run_add if args.mode == "add" else run_quick
            report(name, rows, runner(binary, rows, args.literal, config_home), args.verbose)
    return 0


if __name__ == "__main__":
    sys.exit(main())
