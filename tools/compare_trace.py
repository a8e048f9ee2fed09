#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Compares a trace written by m350ctl or m350-utility --trace FILE with the
# simulated printer's transcript (m350-printer-sim --transcript FILE) of the
# same run:
#   tools/compare_trace.py TRACE TRANSCRIPT
# The trace has a time stamp first and speaks from the computer's side (TX
# sent, RX received); the transcript speaks from the printer's. After the time
# stamps are dropped, TX and RX swapped on one side, and the bytes of
# consecutive lines of one direction joined (the two ends cut the stream into
# different reads), every connection must show the same events in the same
# order. ERROR lines (a port that did not open) have no twin and are skipped.
# Exits 0 when they match, 1 with the first difference otherwise.
import collections, re, sys

STAMP = re.compile(r'^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z$')
KIND = {'serial': 'pty', 'tcp': 'tcp', 'parallel': 'parallel', 'usb': 'usb'}


def events(path, trace):
    conns = collections.OrderedDict()
    for n, line in enumerate(open(path, encoding='ascii'), 1):
        f = line.split()
        if trace:
            if not f or not STAMP.match(f[0]):
                sys.exit(f'{path}:{n}: no time stamp: {line.rstrip()}')
            f = f[1:]
        if len(f) < 2 or f[1] == 'ERROR':
            continue
        cid, what = f[0], f[1]
        ev = conns.setdefault(cid, [])
        if what == 'OPEN':
            kind = f[2] if len(f) > 2 else ''
            ev.append(('OPEN', KIND.get(kind, kind) if trace else kind))
        elif what in ('TX', 'RX'):
            if trace:
                what = 'RX' if what == 'TX' else 'TX'
            data = bytes.fromhex(f[2] if len(f) > 2 else '')
            if ev and ev[-1][0] == what:
                ev[-1] = (what, ev[-1][1] + data)
            else:
                ev.append((what, data))
        else:
            ev.append((what, ''))
    return list(conns.values())


def main():
    if len(sys.argv) != 3:
        sys.exit('usage: compare_trace.py TRACE TRANSCRIPT')
    a, b = events(sys.argv[1], True), events(sys.argv[2], False)
    if len(a) != len(b):
        print(f'connections: trace {len(a)}, transcript {len(b)}')
        return 1
    for i, (x, y) in enumerate(zip(a, b), 1):
        if x != y:
            for j, (ex, ey) in enumerate(zip(x + [None] * len(y), y + [None] * len(x))):
                if ex != ey:
                    print(f'connection {i}, event {j + 1}: trace {ex!r:.200} transcript {ey!r:.200}')
                    return 1
    print(f'{len(a)} connections match')
    return 0


sys.exit(main())
