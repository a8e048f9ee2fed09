#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from debian/ (dpkg-buildpackage, debhelper and its
# CMake support, flags from dpkg-buildflags) and puts it with its .buildinfo
# and .changes into build/package/. Prints the path of the .deb last.
# The tests are not run here: scripts/test.sh runs them on the development build.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
out=build/package
mkdir -p "$out"

# debhelper gives the build a home folder of its own: keep ccache's cache
# where it is, and let the cache serve any clone of the tree.
if command -v ccache >/dev/null; then
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
  export CCACHE_DIR CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=1
fi
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }nocheck noddebs parallel=$(nproc)"
if ! dpkg-buildpackage -b -us -uc --post-clean >"$out/build.log" 2>&1; then
  tail -40 "$out/build.log" >&2
  echo "package build failed: $out/build.log" >&2
  exit 1
fi
for f in "m350-utility_${version}_${arch}.deb" "m350-utility_${version}_${arch}.buildinfo" \
         "m350-utility_${version}_${arch}.changes"; do
  mv -f "../$f" "$out/"
done
echo "$out/m350-utility_${version}_${arch}.deb"
