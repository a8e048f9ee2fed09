#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds the default preset (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
