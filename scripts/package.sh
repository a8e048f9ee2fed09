#!/usr/bin/env bash
# Builds the Debian package of the three programs into build/package/
# (the default preset's build, installed under /usr).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
mkdir -p build/package
(cd build && cpack -G DEB -B package >/dev/null)
ls build/package/*.deb
