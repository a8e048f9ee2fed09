#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Compares what the simulated printer received in two runs of the test suite,
# each run with M350_KEEP_TRANSCRIPTS=DIR:
#   tools/compare_transcripts.py BEFORE_DIR AFTER_DIR
# Exits 1 when a connection of one run has no byte-identical twin in the other.
import os, sys, collections
# A pseudo-terminal connection that the simulator sees closed and reopened
# between two operations may be split differently from run to run, so the
# bytes of all pty connections of one simulator are joined before comparing.
def load(d):
    groups = collections.defaultdict(list)
    c = collections.Counter()
    for f in sorted(os.listdir(d), key=lambda f: (f.split('.')[0].rsplit('-',1)[0], int(f.split('.')[0].rsplit('-',1)[1]))):
        base, kind = f.rsplit('.', 1)
        sim, n = base.rsplit('-', 1)
        data = open(os.path.join(d, f), 'rb').read()
        if kind == 'pty': groups[sim].append(data)
        else: c[(kind, data)] += 1
    for sim, parts in groups.items(): c[('pty', b''.join(parts))] += 1
    return c
a, b = load(sys.argv[1]), load(sys.argv[2])
print('connections', sum(a.values()), sum(b.values()), 'distinct', len(a), len(b))
only_a = a - b; only_b = b - a
print('only in first:', sum(only_a.values()), 'only in second:', sum(only_b.values()))
for (k, d), n in list(only_a.items())[:5]: print('A', k, n, d[:200])
for (k, d), n in list(only_b.items())[:5]: print('B', k, n, d[:200])
sys.exit(1 if only_a or only_b else 0)
