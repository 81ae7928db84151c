#!/usr/bin/env bash
# Starts the simulated HP48 (dravik-sim, demo memory) on a pseudo-terminal,
# shows its directory listing through dravik-cli and takes an object on a
# round trip: PC -> calculator -> PC (or, while dravik-cli has no send/get
# yet, a memory backup and its restore). Expects a build in build/ (or the
# folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
sim="$dir/dravik-sim"
cli="$dir/dravik-cli"
[ -x "$sim" ] && [ -x "$cli" ] || { echo "demo: build first (bash scripts/build.sh $dir)"; exit 1; }

work=$(mktemp -d)
out="$work/sim.out"
"$sim" --auto-eval >"$out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
device=$(head -n 1 "$out")
[ -n "$device" ] || { echo "demo: dravik-sim did not start"; exit 1; }
echo "Simulated HP48 on $device"
echo
echo "== dravik-cli --device $device ls"
"$cli" --device "$device" ls
echo

if "$cli" --help | grep -qE '^  send ' && "$cli" --help | grep -qE '^  get '; then
  mkdir -p "$work/pc" "$work/back"
  printf '%%%%HP: T(3)A(D)F(.);\r\n"Hello from the PC"\r\n' >"$work/pc/HELLO"
  echo "== send HELLO, get it back"
  "$cli" --device "$device" -C "$work/pc" send "$work/pc/HELLO"
  "$cli" --device "$device" ls | grep -E '^HELLO ' || true
  "$cli" --device "$device" -C "$work/back" get HELLO
  echo "sent:     $(tr -d '\r' <"$work/pc/HELLO" | tail -n 1)"
  echo "received: $(tr -d '\r' <"$work/back/HELLO" | tail -n 1)"
else
  mkdir -p "$work/backup"
  echo "== archive the calculator memory (EVAL pressed by the simulator), then restore it"
  "$cli" --device "$device" -C "$work/backup" archive DEMO
  echo "backup: $(stat -c %s "$work/backup/DEMO") bytes"
  "$cli" --device "$device" restore "$work/backup/DEMO"
  echo "after restore:"
  "$cli" --device "$device" ls | head -n 3
fi
