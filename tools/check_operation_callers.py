#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Every link operation descriptor of core/ops/operations.h is run by the
window (gui/) and by m350ctl (cli/), unless its oneSide text says which of
the two alone runs it ("window only: why" or "m350ctl only: why"). A
descriptor nobody runs, or one run on a side it says it is not, fails."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
header = (root / "core/ops/operations.h").read_text()
# inline constexpr Operation<...> name{ {number, "Name", lpt, progress, cancel, ONE_SIDE}, &fn};
decl = re.compile(r"inline constexpr Operation<[^>]*>\s+(\w+)\{(.*?)\};", re.S)


def sources(folder):
    text = ""
    for p in sorted((root / folder).rglob("*")):
        if p.suffix in (".cpp", ".h"):
            text += p.read_text()
    return text


sides = {"window": sources("gui"), "m350ctl": sources("cli")}
faults = []
found = 0
for name, body in decl.findall(header):
    found += 1
    m = re.search(r"k(?:Not)?Cancellable,\s*(\{\}|((?:\"[^\"]*\"\s*)+))\}", body)
    if not m:
        faults.append(f"{name}: its rules cannot be read")
        continue
    one_side = "".join(re.findall(r"\"([^\"]*)\"", m.group(2) or ""))
    only = None
    if one_side:
        only = one_side.split(":")[0]
        if only not in ("window only", "m350ctl only") or not one_side.split(":", 1)[1].strip():
            faults.append(f"{name}: oneSide must be 'window only: why' or 'm350ctl only: why'")
            continue
        only = only.split()[0]
    used = re.compile(r"\bops::" + name + r"\b")
    for side, text in sides.items():
        runs = bool(used.search(text))
        if only is None and not runs:
            faults.append(f"{name}: the {side} never runs it")
        elif only is not None and side != only and runs:
            faults.append(f"{name}: said to be {only} only, but the {side} runs it")
        elif only is not None and side == only and not runs:
            faults.append(f"{name}: said to be {only} only, but the {side} never runs it")

if found < 30:
    faults.append(f"only {found} descriptors found in core/ops/operations.h")
for f in faults:
    print(f)
print(f"{found} operations, {len(faults)} faults")
sys.exit(1 if faults else 0)
