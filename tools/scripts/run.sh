#!/usr/bin/env bash
# Starts the simulated meter on COM 1 and the program beside it; stops the simulator afterwards.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
There is no display to show the program on.
Run it under a virtual X server instead:   xvfb-run -a make run
(or headless:                              QT_QPA_PLATFORM=offscreen make run)
MSG
  exit 1
fi
# The simulated meter gets an alias folder of its own, so a COM1 link the user made for a real
# meter is never touched.
export TQ36_PORTS_DIR=${TQ36_PORTS_DIR:-$(mktemp -d)}
ready=$(mktemp)
# Its logger holds three data sets (two-channel in C with marks, one-channel in F, two-channel in
# K), sent at the meter's own 9600 baud, so "Memory" behaves as with a real meter.
"$build/tools/metersim/tq36-metersim" --com 1 --wave sine --sets 10:120:2Cm,2:40:1F,60:300:2K --baud 9600 \
  >"$ready" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -f "$ready"; rmdir "$TQ36_PORTS_DIR" 2>/dev/null' EXIT
for _ in $(seq 50); do grep -q -- '->' "$ready" && break; sleep 0.1; done
cat "$ready"
"$build/tq36"
