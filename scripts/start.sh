#!/usr/bin/env bash
# Installs what is missing, builds Dravik and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build
exec build/dravik "$@"
