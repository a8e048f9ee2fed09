#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every performance figure against its floor, measured in one run, as one table
# with the goal beside each ratio (see "Performance" in docs/tools.md).
#   scripts/bench.sh [--smoke] [BUILD_DIR] [-- FLOOR_BENCH_OPTIONS...]
# BUILD_DIR defaults to build (the optimised build: the one to read). --smoke
# runs two pairs with a small file and one font run: it proves the benchmarks
# run, its numbers mean nothing, and nothing is asserted about them.
set -euo pipefail
cd "$(dirname "$0")/.."
smoke=()
font_runs=3
if [ "${1:-}" = "--smoke" ]; then smoke=(--smoke); font_runs=1; shift; fi
build=${1:-build}
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift
floor="$build/bench/floor_bench"
font="$build/bench/font_bench"
[ -x "$floor" ] || { echo "bench: $floor is missing; build the bench targets first" >&2; exit 1; }

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
# Progress goes to standard error through a pipe of our own: "tee /dev/stderr"
# would reopen a log file that standard error was redirected to and empty it.
"$floor" "${smoke[@]}" "$@" | tee >(cat >&2) | grep '^row|' >"$rows"

if [ -x "$font" ]; then
  # The font maker against a bare drawing loop of the same glyphs.
  font_out=$(QT_QPA_PLATFORM=offscreen "$font" "$font_runs" 2>&1) || true
  printf '%s\n' "$font_out" >&2
  make=$(sed -n 's/^makeFont *\([0-9.]*\) s$/\1/p' <<<"$font_out")
  bare=$(sed -n 's/^bare drawing loop *\([0-9.]*\) s$/\1/p' <<<"$font_out")
  ratio=$(sed -n 's/^ratio *\([0-9.]*\) .*/\1/p' <<<"$font_out")
  if [ -n "$ratio" ]; then
    echo "row|font maker, 24162 CJK glyphs at 24 x 24 (CPU)|$make s|$bare s|$ratio|<= 1.5" >>"$rows"
  else
    echo "row|font maker (font_bench)|skipped: no result|-|-|-" >>"$rows"
  fi
else
  echo "row|font maker (font_bench)|skipped: not built|-|-|-" >>"$rows"
fi

echo
awk -F'|' 'BEGIN { printf "%-58s %16s %16s %7s  %s\n", "Figure", "Ours", "Floor", "Ratio", "Goal" }
           { printf "%-58s %16s %16s %7s  %s\n", $2, $3, $4, $5, $6 }' "$rows"
