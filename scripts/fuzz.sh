#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets (in the sanitizer build, build-asan/, with clang) and
# runs each over its corpus.
#   scripts/fuzz.sh            each target FUZZ_SECONDS (default 20) seconds
#   scripts/fuzz.sh --long     each target FUZZ_RUNS (default 10,000,000) executions
#   scripts/fuzz.sh TARGET...  only those targets
# Targets run FUZZ_JOBS (default: the number of cores) at a time.
# A target that finds a fault stops the script with its whole report and the
# path of the reproducer (run it with build-asan/fuzz/TARGET_fuzzer FILE);
# copy the reproducer into fuzz/corpus/TARGET/ once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
runs=${FUZZ_RUNS:-10000000}
long=0
targets=()
for a in "$@"; do
  case "$a" in
    --long) long=1 ;;
    *) targets+=("$a") ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  targets=(frame config_read config_file config_lines status password wireless_reply memory_info
    file_fetch config_text udp_reply font_file encode_table text_encoding link_reply serial_lock
    net_address settings_file host_list command_store)
fi
[ -f build-asan/build.ninja ] || cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"
out=build-asan/fuzz
mkdir -p "$out/artifacts" "$out/logs"
# One target per core at a time (FUZZ_JOBS), each with its own log; the logs
# are read in order once all have run.
run_one() {
  local f=$1 status=0
  mkdir -p "$out/corpus-$f" "fuzz/corpus/$f"
  if [ "$long" = 1 ]; then limit=(-runs="$runs"); else limit=(-max_total_time="$seconds"); fi
  ./$out/${f}_fuzzer "${limit[@]}" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$f-" \
    "$out/corpus-$f" "fuzz/corpus/$f" >"$out/logs/$f.log" 2>&1 || status=$?
  echo "$status" >"$out/logs/$f.status"
}
jobs_max=${FUZZ_JOBS:-$(nproc)}
for f in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n || true; done
  run_one "$f" &
done
wait
for f in "${targets[@]}"; do
  log="$out/logs/$f.log"
  status=$(cat "$out/logs/$f.status" 2>/dev/null || echo 1)
  if [ "$status" -ne 0 ] || grep -q "runtime error:\|ERROR: AddressSanitizer\|ERROR: libFuzzer" "$log"; then
    echo "FUZZ FAILURE in $f (exit $status); full report in $log:" >&2
    grep -n -A40 "runtime error:\|ERROR:" "$log" | head -120 >&2 || tail -60 "$log" >&2
    repro=$(grep -o "Test unit written to [^ ]*" "$log" | tail -1 | sed 's/Test unit written to //')
    echo "reproducer: ${repro:-none written} (run: $out/${f}_fuzzer ${repro:-FILE})" >&2
    exit 1
  fi
  execs=$(grep -o "stat::number_of_executed_units: *[0-9]*" "$log" | grep -o "[0-9]*$" || true)
  edges=$(grep -o "cov: [0-9]*" "$log" | tail -1 | grep -o "[0-9]*" || true)
  echo "$f: ${execs:-?} executions, ${edges:-?} edges"
done
