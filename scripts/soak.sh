#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Soak: many m350ctl operations in a row against one simulated printer,
# printing the descriptor count and resident memory of the simulator at the
# start and the end, and the largest resident memory of one m350ctl run; then
# as many operations from one main window (bench/window_soak: status,
# configuration read, Save, Load), printing the window's own descriptors and
# resident memory at the start and the end.
#   scripts/soak.sh [BUILD_DIR] [COUNT]     (defaults: build, 1000)
# SOAK_CHECK=1 (the CI form, with a small COUNT) fails when the simulator's
# or the window's descriptors grew: a connection of ours that was never
# closed keeps one open on both sides.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-1000}
ctl="$build/cli/m350ctl"
sim="$build/sim/m350-printer-sim"
run_dir=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; rm -rf "$run_dir"' EXIT
"$sim" --tcp 127.0.0.1:0 --ready-file "$run_dir/ready" >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -f "$run_dir/ready" ] && break; sleep 0.1; done
address=$(sed -n 's/^tcp //p' "$run_dir/ready")
[ -n "$address" ] || { echo "soak: the simulated printer did not start" >&2; exit 1; }

fds() { ls "/proc/$sim_pid/fd" | wc -l; }
# The simulator's count once it has seen the last close: a connection our
# program closed a moment ago may still be open there; a leaked one stays.
settled_fds() {
  local n
  for _ in $(seq 20); do
    n=$(fds)
    [ "$n" -le "$fd0" ] && break
    sleep 0.1
  done
  echo "$n"
}
rss() { awk '/^VmRSS/ {print $2}' "/proc/$sim_pid/status"; }
ops=(status "config read" "config read --json" "exit-line-mode")
"$ctl" --net "$address" status >/dev/null  # the first connection settles the listener
fd0=$(fds); rss0=$(rss); peak=0; failed=0
for i in $(seq "$count"); do
  op=${ops[$((i % ${#ops[@]}))]}
  # shellcheck disable=SC2086
  /usr/bin/time -o "$run_dir/rss" -f "%M" "$ctl" --net "$address" $op >/dev/null 2>"$run_dir/err" \
    || { failed=$((failed + 1)); cat "$run_dir/err" >&2; }
  kb=$(tail -1 "$run_dir/rss")
  [ "$kb" -gt "$peak" ] && peak=$kb
done
fd1=$(settled_fds); rss1=$(rss)
echo "soak: $count m350ctl operations"
echo "simulator descriptors: start $fd0, end $fd1"
echo "simulator resident memory: start ${rss0} kB, end ${rss1} kB"
echo "largest m350ctl resident memory: ${peak} kB"
echo "failed operations: $failed"
[ "$failed" -eq 0 ] || exit 1
if [ "${SOAK_CHECK:-0}" = 1 ] && [ "$fd1" -gt "$fd0" ]; then
  echo "soak: descriptors grew from $fd0 to $fd1" >&2
  exit 1
fi

# The window half, when the window was built.
window="$build/bench/window_soak"
if [ -x "$window" ]; then
  QT_QPA_PLATFORM=offscreen "$window" "${address##*:}" "$count" "$run_dir" >"$run_dir/window" \
    2>"$run_dir/window-err" || { cat "$run_dir/window" "$run_dir/window-err" >&2; exit 1; }
  cat "$run_dir/window"
  fd2=$(settled_fds); rss2=$(rss)
  echo "simulator descriptors after the window: $fd2"
  echo "simulator resident memory after the window: ${rss2} kB"
  read -r wfd0 wfd1 < <(sed -n 's/^window descriptors: start \([0-9]*\), end \([0-9]*\)$/\1 \2/p' \
    "$run_dir/window")
  if [ "${SOAK_CHECK:-0}" = 1 ] && { [ "$wfd1" -gt "$wfd0" ] || [ "$fd2" -gt "$fd0" ]; }; then
    echo "soak: descriptors grew (window $wfd0 to $wfd1, simulator $fd0 to $fd2)" >&2
    exit 1
  fi
else
  echo "soak: no $window (the window was not built); window half skipped"
fi
