#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts a simulated printer and the window under Xvfb and saves a screenshot
# of each main page (and the first page in Chinese and in Russian) into this
# folder, as the README shows them.
#   docs/screenshots/take.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=docs/screenshots
run=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$run"' EXIT

"$build/sim/m350-printer-sim" --tcp 127.0.0.1:0 --ready-file "$run/ready" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -f "$run/ready" ] && break; sleep 0.1; done
address=$(sed -n 's/^tcp //p' "$run/ready")

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

# shot NAME PAGE_INDEX [utility options...]: the window on page PAGE_INDEX.
shot() {
  local name=$1 page=$2
  shift 2
  DISPLAY=$display "$build/gui/m350-utility" --interface ethernet --address "$address" "$@" \
    >/dev/null 2>&1 &
  local pid=$!
  sleep 3
  local win
  win=$(DISPLAY=$display xdotool search --sync --onlyvisible --class m350-utility | head -1)
  DISPLAY=$display xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  # The page's tab, clicked where the English layout puts it.
  local tabs=(70 185 305 430)
  if [ "$page" -gt 0 ]; then
    DISPLAY=$display xdotool mousemove --window "$win" "${tabs[$page]}" 60 click 1
  fi
  sleep 0.5
  DISPLAY=$display import -window "$win" "$out/$name.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

shot printer-configuration 0 --language 0
shot file-manager 1 --language 0
shot bitmap-font-manager 2 --language 0
shot command-tool 3 --language 0
shot chinese 0 --language 2
shot russian 0 --language 9
ls "$out"/*.png
