#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each briefly over its corpus.
# FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for f in frame config_read config_file wireless_reply; do
  mkdir -p "build-fuzz/corpus-$f" "fuzz/corpus/$f"
  ./build-fuzz/${f}_fuzzer -max_total_time="$seconds" -max_len=8192 -print_final_stats=0 \
    "build-fuzz/corpus-$f" "fuzz/corpus/$f" 2>&1 | tail -2
done
