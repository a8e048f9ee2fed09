#!/usr/bin/env bash
# Installs, builds with warnings as errors and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$(nproc)"
