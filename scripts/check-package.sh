#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks it as a distribution would: lintian
# clean at error and warning level, every installed file present, hardened
# programs on the shared C++ runtime, the desktop entry and the metainfo
# valid; then installs it, starts every program, renders the manuals, tries
# the shell completions, and purges it, which must leave nothing behind.
set -euo pipefail
cd "$(dirname "$0")/.."
# Built with warnings as errors, like the development build it shares its
# compiler cache with.
deb=$(M350_WERROR=ON ./scripts/package.sh | tail -1)
changes=${deb%.deb}.changes
scratch=$(mktemp -d)
installed=0
cleanup() {
  [ "$installed" -eq 0 ] || apt-get purge -y m350-utility >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$scratch"
dpkg-deb -f "$deb" Package Version Depends

# Overrides, if any, live in debian/m350-utility.lintian-overrides, each with
# the reason written above it.
lintian --fail-on error,warning "$changes"

expected=(
  usr/bin/m350-utility usr/bin/m350ctl usr/bin/m350-printer-sim
  usr/libexec/m350-utility/m350ctl-fonts
  usr/share/applications/org.m350.Utility.desktop
  usr/share/metainfo/org.m350.Utility.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/org.m350.Utility.svg
  usr/share/icons/hicolor/48x48/apps/org.m350.Utility.png
  usr/share/icons/hicolor/256x256/apps/org.m350.Utility.png
  usr/lib/udev/rules.d/70-m350-printers.rules
  usr/share/man/man1/m350-utility.1.gz usr/share/man/man1/m350ctl.1.gz
  usr/share/man/man1/m350-printer-sim.1.gz
  usr/share/bash-completion/completions/m350ctl
  usr/share/zsh/vendor-completions/_m350ctl
  usr/share/doc/m350-utility/copyright usr/share/doc/m350-utility/changelog.gz
  usr/share/doc/m350-utility/m350ctl.md usr/share/doc/m350-utility/usb.md
)
missing=0
for f in "${expected[@]}"; do
  [ -e "$scratch/$f" ] || { echo "package lacks $f" >&2; missing=1; }
done
[ "$missing" -eq 0 ]
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "no computed Qt dependency" >&2; exit 1; }

# Hardening: hardening-check fails a program without PIE, stack protector,
# fortified calls, read-only relocations or immediate binding. Control-flow
# protection (-fcf-protection) is not asked for: Debian 12's dpkg-buildflags
# has no such feature.
for p in usr/bin/m350-utility usr/bin/m350ctl usr/bin/m350-printer-sim \
         usr/libexec/m350-utility/m350ctl-fonts; do
  hardening-check --quiet --nocfprotection "$scratch/$p" || { hardening-check "$scratch/$p" >&2; exit 1; }
done
readelf -d "$scratch/usr/bin/m350ctl" | grep -q 'NEEDED.*libstdc++' ||
  { echo "m350ctl does not load the shared C++ runtime" >&2; exit 1; }
# m350ctl starts without Qt; font make runs the separate font maker.
! readelf -d "$scratch/usr/bin/m350ctl" | grep -q 'NEEDED.*libQt6' ||
  { echo "m350ctl loads Qt" >&2; exit 1; }

desktop-file-validate "$scratch/usr/share/applications/org.m350.Utility.desktop"
appstreamcli validate --no-net "$scratch/usr/share/metainfo/org.m350.Utility.metainfo.xml" >/dev/null

# Installed: every program starts and says the project's version.
apt-get install -y --no-install-recommends "./$deb" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; exit 1; }
installed=1
version=$(sed -n 's/^project(m350 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$(dpkg-parsechangelog -S Version)" = "$version" ] ||
  { echo "debian/changelog is not at version $version" >&2; exit 1; }
for p in m350-utility m350ctl m350-printer-sim; do
  out=$(env -u DISPLAY "/usr/bin/$p" --version)
  [ "$out" = "$p $version" ] || { echo "$p --version said '$out'" >&2; exit 1; }
done
env -u DISPLAY m350ctl font make --family Sans --size 10 --encode standard \
  -o "$scratch/check.bmf" >/dev/null 2>&1 || { echo "m350ctl font make failed installed" >&2; exit 1; }

# The manuals render without a warning from groff.
for page in m350-utility m350ctl m350-printer-sim; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "man $page: $warnings" >&2; exit 1; }
done

# The completions complete option values.
./scripts/check-completion.sh /usr/share/bash-completion/completions/m350ctl \
  /usr/share/zsh/vendor-completions/_m350ctl

files=$(dpkg -L m350-utility | grep -v '^/\.$')
apt-get purge -y m350-utility >/dev/null
installed=0
left=0
while read -r f; do
  [ -d "$f" ] || [ ! -e "$f" ] || { echo "purge left $f" >&2; left=1; }
done <<<"$files"
[ "$left" -eq 0 ]
echo "package: $(basename "$deb") is lintian clean, hardened, installs, starts and purges"
