#!/usr/bin/env bash
# Installs, builds with warnings as errors and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/check-format.sh
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$(nproc)"

# The Debian package: every installed file present, the programs start.
./scripts/check-package.sh

# The core's, m350ctl's and the window's tests again under address and
# undefined-behaviour sanitizers (the window's offscreen).
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan -j "$(nproc)"

# A short fuzz run of the parsers that take printer and file data.
FUZZ_SECONDS=${FUZZ_SECONDS:-10} ./scripts/fuzz.sh

# A short soak: no descriptor may stay open in the printer after our operations.
SOAK_CHECK=1 ./scripts/soak.sh build "${SOAK_COUNT:-100}"

# The benchmarks once, briefly: every figure and its floor still run. Shared
# machines are too noisy for their numbers, so nothing is asserted about them.
./scripts/bench.sh --smoke build >/dev/null
