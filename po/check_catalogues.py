#!/usr/bin/env python3
"""Checks the message catalogues against the sources.

- po/zarvo.pot holds exactly the messages the sources mark (xgettext run afresh);
- every catalogue translates every one of them (no fuzzy or empty entry);
- every translation has the placeholders of its message ("{}", "{:>4}"), numbered or not, since a
  missing or extra one would make the program fail where the message is shown.
Exit status 1, with one line per problem, when any of this does not hold.
"""
import argparse
import ast
import os
import re
import subprocess
import sys
import tempfile


def read_po(path):
    """The entries of a .po/.pot file: {(context, msgid): {"plural": str|None, "strs": [str], "fuzzy": bool}}."""
    entries = {}
    current = None
    field = None

    def finish():
        if current is not None and current.get("msgid"):
            key = (current.get("msgctxt"), current["msgid"])
            strs = [current["strs"][i] for i in sorted(current["strs"])]
            entries[key] = {"plural": current.get("msgid_plural"), "strs": strs, "fuzzy": current["fuzzy"]}

    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if line.startswith("#~"):
                continue
            if not line:
                finish()
                current, field = None, None
                continue
            if current is None:
                current = {"strs": {}, "fuzzy": False}
            if line.startswith("#,"):
                current["fuzzy"] = current["fuzzy"] or "fuzzy" in line
                continue
            if line.startswith("#"):
                continue
            m = re.match(r'(msgctxt|msgid_plural|msgid|msgstr(?:\[(\d+)\])?)\s+(".*")$', line)
            if m:
                name, index, text = m.group(1), m.group(2), ast.literal_eval(m.group(3))
                if name.startswith("msgstr"):
                    field = ("str", int(index or 0))
                    current["strs"][field[1]] = text
                else:
                    field = ("key", name)
                    current[name] = text
                continue
            if line.startswith('"') and field is not None:
                text = ast.literal_eval(line)
                if field[0] == "str":
                    current["strs"][field[1]] += text
                else:
                    current[field[1]] += text
    finish()
    return entries


FIELD = re.compile(r"\{\{|\}\}|\{([^{}]*)\}")


def placeholders(text):
    """The placeholders of a format string as a sorted list of (index, what follows its colon)."""
    fields = [m.group(1) for m in FIELD.finditer(text) if m.group(1) is not None]
    out = []
    for auto, field in enumerate(fields):
        name, _, options = field.partition(":")
        out.append((int(name) if name.isdigit() else auto, options))
    return sorted(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--xgettext", required=True)
    parser.add_argument("--source-root", required=True)
    parser.add_argument("--po-dir", required=True)
    parser.add_argument("--languages", nargs="+", required=True)
    parser.add_argument("--sources", nargs="+", required=True)
    parser.add_argument("xgettext_args", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    xgettext_args = [a for a in args.xgettext_args if a != "--"]

    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        fresh = os.path.join(scratch, "fresh.pot")
        subprocess.run([args.xgettext, *xgettext_args, "-o", fresh, *args.sources], cwd=args.source_root, check=True)
        marked = read_po(fresh)
    template = read_po(os.path.join(args.po_dir, "zarvo.pot"))
    for key in sorted(set(marked) - set(template), key=str):
        problems.append(f"zarvo.pot lacks {key[1]!r}: build the target zarvo_messages_update")
    for key in sorted(set(template) - set(marked), key=str):
        problems.append(f"zarvo.pot still has {key[1]!r}, which no source marks: build zarvo_messages_update")

    for language in args.languages:
        catalogue = read_po(os.path.join(args.po_dir, language + ".po"))
        for key, entry in sorted(marked.items(), key=lambda kv: str(kv[0])):
            found = catalogue.get(key)
            where = f"{language}.po: {key[1]!r}"
            if found is None:
                problems.append(f"{where} is missing")
                continue
            if found["fuzzy"] or not found["strs"] or any(not s for s in found["strs"]):
                problems.append(f"{where} is not translated")
                continue
            wanted = [placeholders(key[1])]
            if entry["plural"] is not None:
                wanted.append(placeholders(entry["plural"]))
            for translation in found["strs"]:
                if placeholders(translation) not in wanted:
                    problems.append(f"{where}: the translation {translation!r} has other placeholders")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
