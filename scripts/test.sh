#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, builds with warnings as errors and runs every test through CTest.
# Each stage prints its wall time, and the whole run its total at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage_start=$SECONDS
stage() {
  local now=$SECONDS
  [ -n "${stage_name:-}" ] && printf '== %s: %d s\n' "$stage_name" $((now - stage_start))
  stage_name=$1
  stage_start=$now
}
background=()
finish() {
  local status=$?
  [ ${#background[@]} -eq 0 ] || kill -- "-${background[0]}" 2>/dev/null || true
  stage ""
  printf '== test command: %d s in all (%s)\n' $((SECONDS - started)) \
    "$([ "$status" -eq 0 ] && echo passed || echo "failed, exit $status")"
}
trap finish EXIT

stage "install dependencies"
./scripts/install-deps.sh

# The sanitizer build (clang, with the fuzz targets) compiles in the
# background at the lowest priority from here on: it takes only the processor
# time that the default build, its tests, the package check, the soak and the
# benchmarks leave, and they run as on an idle machine.
# It runs in a session of its own, so that it can be stopped as a whole; the
# kernel shares the processor between sessions first, so the session's own
# priority is lowered too.
mkdir -p build-asan
asan_log=build-asan/build.log
setsid sh -c '{ echo 19 >/proc/self/autogroup; } 2>/dev/null
  exec nice -n 19 sh -c "cmake --preset asan >/dev/null && cmake --build --preset asan -j $1"' \
  sh "$(nproc)" >"$asan_log" 2>&1 &
background+=($!)

stage "format check"
./scripts/check-format.sh
stage "default build"
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# Most tests spend their time waiting for a simulated printer, not on the
# processor: two at a time per core keep the cores busy.
test_jobs=$(($(nproc) * 2))


stage "default tests"
ctest --preset default -j "$test_jobs"

# The Debian package: every installed file present, the programs start. Its
# compiler flags are the default build's, so the compiler cache serves it.
stage "package check"
./scripts/check-package.sh

# A short soak: no descriptor may stay open in the printer after our operations.
stage "soak"
SOAK_CHECK=1 ./scripts/soak.sh build "${SOAK_COUNT:-100}"

# The benchmarks once, briefly: every figure and its floor still run. Shared
# machines are too noisy for their numbers, so nothing is asserted about them.
stage "benchmarks (smoke)"
./scripts/bench.sh --smoke build >/dev/null

# The rest of the sanitizer build, which now has every core to itself.
stage "sanitizer build (what is left)"
if ! wait "${background[0]}"; then
  background=()
  tail -n 60 "$asan_log" >&2
  exit 1
fi
background=()

# The core's, m350ctl's and the window's tests again under address and
# undefined-behaviour sanitizers (the window's offscreen).
stage "sanitizer tests"
ctest --preset asan -j "$test_jobs"

# A short fuzz run of the parsers that take printer and file data: every
# input of the corpus again (the regression inputs among them), then a few
# seconds of new ones per target. Long runs are scripts/fuzz.sh --long.
stage "fuzzing"
FUZZ_SECONDS=${FUZZ_SECONDS:-6} ./scripts/fuzz.sh
