#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Fails when the code asks for an own text that core/i18n/own_texts.tsv lacks.

Every ownText("...") and ownTr("...") with a literal English text in core/,
gui/ and cli/ must have its row, so no language falls back to English; so must
every text the window's own-text bindings name (ownCaption("Control", "..."),
ownItem("Control", 0, "..."), ownTitle("...") and the like, see gui/own_text_map.h).
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
# A binding may run over two lines: searched in the whole file.
binding = re.compile(
    r'\bown(?:(?:Caption|Tip|Placeholder|Item|Column)\(\s*"[^"]*"\s*,\s*(?:\d+\s*,\s*)?'
    r'|Title\(\s*)"((?:[^"\\]|\\.)*)"')


def decode(literal):
    return literal.encode().decode("unicode_escape").encode("latin-1").decode("utf-8")


missing = []
for folder in ("core", "gui", "cli"):
    for path in sorted((root / folder).rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        source = path.read_text(encoding="utf-8")
        for n, line in enumerate(source.splitlines(), 1):
            for m in call.finditer(line):
                text = decode(m.group(1))
                if text not in rows:
                    missing.append(f"{path.relative_to(root)}:{n}: {text}")
        for m in binding.finditer(source):
            text = decode(m.group(1))
            if text not in rows:
                n = source.count("\n", 0, m.start()) + 1
                missing.append(f"{path.relative_to(root)}:{n}: {text}")
for m in missing:
    print("no row in own_texts.tsv:", m)
sys.exit(1 if missing else 0)
