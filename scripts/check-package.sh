#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch folder and checks that
# everything installation promises is in it, that the desktop entry and the
# metainfo pass their validators, and that the installed programs start.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(./scripts/package.sh | tail -1)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
dpkg-deb -f "$deb" Package Version Depends

expected=(
  usr/bin/m350-utility usr/bin/m350ctl usr/bin/m350-printer-sim
  usr/libexec/m350-utility/m350ctl-fonts
  usr/share/applications/org.m350.Utility.desktop
  usr/share/metainfo/org.m350.Utility.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/org.m350.Utility.svg
  usr/share/icons/hicolor/48x48/apps/org.m350.Utility.png
  usr/share/icons/hicolor/256x256/apps/org.m350.Utility.png
  usr/lib/udev/rules.d/70-m350-printers.rules
  usr/share/man/man1/m350-utility.1 usr/share/man/man1/m350ctl.1
  usr/share/man/man1/m350-printer-sim.1
  usr/share/bash-completion/completions/m350ctl
  usr/share/doc/m350-utility/LICENSE
)
missing=0
for f in "${expected[@]}"; do
  [ -e "$scratch/$f" ] || { echo "package lacks $f" >&2; missing=1; }
done
[ "$missing" -eq 0 ]
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "no computed Qt dependency" >&2; exit 1; }

desktop-file-validate "$scratch/usr/share/applications/org.m350.Utility.desktop"
appstreamcli validate --no-net "$scratch/usr/share/metainfo/org.m350.Utility.metainfo.xml" >/dev/null
version=$(sed -n 's/^project(m350 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for p in m350-utility m350ctl m350-printer-sim; do
  out=$(env -u DISPLAY "$scratch/usr/bin/$p" --version)
  [ "$out" = "$p $version" ] || { echo "$p --version said '$out'" >&2; exit 1; }
done
# m350ctl starts without Qt; font make runs the installed font maker.
! ldd "$scratch/usr/bin/m350ctl" | grep -q libQt6 || { echo "m350ctl loads Qt" >&2; exit 1; }
env -u DISPLAY "$scratch/usr/bin/m350ctl" font make --family Sans --size 10 --encode standard \
  -o "$scratch/check.bmf" >/dev/null 2>&1 || { echo "m350ctl font make failed installed" >&2; exit 1; }
bash -n "$scratch/usr/share/bash-completion/completions/m350ctl"
echo "package: $(basename "$deb") holds every file and its programs start"
