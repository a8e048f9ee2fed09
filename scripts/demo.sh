#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, builds, starts a simulated printer on a free loopback port and the
# utility attached to it over ETHERNET. Closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh

run_dir=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; rm -rf "$run_dir"' EXIT
./build/sim/m350-printer-sim --tcp 127.0.0.1:0 --ready-file "$run_dir/ready" \
  --transcript "$run_dir/transcript.log" >/dev/null &
sim_pid=$!
for _ in $(seq 100); do [ -f "$run_dir/ready" ] && break; sleep 0.1; done
address=$(sed -n 's/^tcp //p' "$run_dir/ready")
[ -n "$address" ] || { echo "the simulated printer did not start" >&2; exit 1; }
echo "simulated printer listening on $address (transcript: $run_dir/transcript.log)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting the utility under Xvfb" >&2
  exec_prefix=(xvfb-run -a -s "-screen 0 1280x1024x24")
else
  exec_prefix=()
fi
"${exec_prefix[@]}" ./build/gui/m350-utility --interface ethernet --address "$address" "$@"
