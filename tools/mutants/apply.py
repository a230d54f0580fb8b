#!/usr/bin/env python3
"""Reads mutants.txt and applies one mutant by exact text replacement.

  apply.py list MUTANTS                 name, module and file of each mutant, tab-separated
  apply.py apply MUTANTS NAME ROOT      replaces the old text under ROOT; fails unless it occurs once

A mutant is a block of "key: value" lines, blocks separated by blank lines, "#" lines ignored:
  name:   short-name
  module: where it lies
  file:   path from the repository root
  old:    exact text (several old: lines are joined by newlines)
  new:    its replacement (likewise)
Only the one space after the colon is taken off, so indentation inside old/new is kept.
"""
import sys


def parse(path):
    mutants, current = [], {}
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, line in enumerate(lines + [""], 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            if current:
                mutants.append(current)
                current = {}
            continue
        key, sep, value = line.partition(":")
        if not sep or key not in ("name", "module", "file", "old", "new"):
            sys.exit(f"{path}:{number}: expected name/module/file/old/new")
        value = value[1:] if value.startswith(" ") else value
        if key in ("old", "new"):
            current[key] = current[key] + "\n" + value if key in current else value
        else:
            current[key] = value
    for m in mutants:
        missing = {"name", "module", "file", "old", "new"} - m.keys()
        if missing:
            sys.exit(f"{path}: mutant {m.get('name', '?')} lacks {', '.join(sorted(missing))}")
    names = [m["name"] for m in mutants]
    if len(names) != len(set(names)):
        sys.exit(f"{path}: duplicate mutant names")
    return mutants


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "list":
        for m in parse(sys.argv[2]):
            print(f"{m['name']}\t{m['module']}\t{m['file']}")
        return
    if len(sys.argv) == 5 and sys.argv[1] == "apply":
        mutants = {m["name"]: m for m in parse(sys.argv[2])}
        m = mutants.get(sys.argv[3])
        if m is None:
            sys.exit(f"no mutant named {sys.argv[3]}")
        target = f"{sys.argv[4]}/{m['file']}"
        with open(target, encoding="utf-8") as f:
            text = f.read()
        count = text.count(m["old"])
        if count != 1:
            sys.exit(f"{m['name']}: old text occurs {count} times in {m['file']}")
        with open(target, "w", encoding="utf-8") as f:
            f.write(text.replace(m["old"], m["new"]))
        return
    sys.exit(__doc__)


if __name__ == "__main__":
    main()
