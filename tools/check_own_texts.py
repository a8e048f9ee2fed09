#!/usr/bin/env python3
"""Fails when the code asks for an own text that core/i18n/own_texts.tsv lacks.

Every ownText("...") and ownTr("...") with a literal English text in core/,
gui/ and cli/ must have its row, so no language falls back to English.
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
rows = set()
with open(root / "core/i18n/own_texts.tsv", encoding="utf-8") as f:
    next(f)
    for line in f:
        line = line.rstrip("\r\n")
        if line and not line.startswith("#"):
            rows.add(line.split("\t")[0])

call = re.compile(r'\bown(?:Text|Tr)\(\s*"((?:[^"\\]|\\.)*)"')
missing = []
for folder in ("core", "gui", "cli"):
    for path in sorted((root / folder).rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            for m in call.finditer(line):
                text = m.group(1).encode().decode("unicode_escape").encode("latin-1").decode("utf-8")
                if text not in rows:
                    missing.append(f"{path.relative_to(root)}:{n}: {text}")
for m in missing:
    print("no row in own_texts.tsv:", m)
sys.exit(1 if missing else 0)
