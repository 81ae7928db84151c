#!/usr/bin/env bash
# Installs what is missing, builds Dravik, shows the simulated calculator
# through dravik-cli (scripts/demo.sh, a second) and starts the window
# against the simulated calculator: `dravik --simulate`, with any further
# arguments passed on (files to send once connected).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build
bash scripts/demo.sh build || echo "(the simulator demo did not complete)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "No display: the window is not started. With a display, run:"
  echo "    build/dravik --simulate"
  exit 0
fi
exec build/dravik --simulate "$@"
