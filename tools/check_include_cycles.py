#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Fails when the project's headers include each other in a circle, and prints
# the circles. Run by CTest as include_cycles:
#   tools/check_include_cycles.py ROOT
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else "."
folders = ["core", "gui", "cli", "sim"]
files = []
for folder in folders:
    for dirpath, _, names in os.walk(os.path.join(root, folder)):
        files += [os.path.join(dirpath, n) for n in names if n.endswith((".h", ".cpp"))]

graph = {}
for f in files:
    deps = []
    with open(f, encoding="utf-8") as text:
        for include in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text.read(), re.M):
            for candidate in (os.path.join(root, include), os.path.join(os.path.dirname(f), include)):
                if os.path.exists(candidate):
                    deps.append(os.path.normpath(candidate))
                    break
    graph[os.path.normpath(f)] = deps

state, stack, circles = {}, [], []


def visit(node):
    state[node] = 1
    stack.append(node)
    for dep in graph.get(node, []):
        if state.get(dep) == 1:
            circles.append(stack[stack.index(dep):] + [dep])
        elif not state.get(dep):
            visit(dep)
    stack.pop()
    state[node] = 2


sys.setrecursionlimit(10000)
for node in graph:
    if not state.get(node):
        visit(node)
for circle in circles:
    print("include circle: " + " -> ".join(os.path.relpath(n, root) for n in circle))
print(f"{len(graph)} files, {len(circles)} include circles")
sys.exit(1 if circles else 0)
