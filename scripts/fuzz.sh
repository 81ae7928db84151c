#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz (clang, ASan + UBSan) and runs
# each for a bounded time on its seed corpus fuzz/corpus/<target>/.
# Fails when a target crashes or a sanitizer reports.
#   FUZZ_SECONDS=30   time per target
#   FUZZ_SEED=N        a fixed seed, so a run can be repeated (CI uses one)
#   bash scripts/fuzz.sh [TARGET...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-fuzz
seconds="${FUZZ_SECONDS:-30}"
seed_option=()
[ -n "${FUZZ_SEED:-}" ] && seed_option=(-seed="$FUZZ_SEED")
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDRAVIK_FUZZ=ON -DDRAVIK_BUILD_APP=OFF >/dev/null
cmake --build "$dir" --target dravik_fuzz_targets -j2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(grep -v '^$' "$dir/fuzz/fuzz_targets.txt")
fi
status=0
for t in "${targets[@]}"; do
  seeds="fuzz/corpus/$t"
  # New inputs go to a scratch corpus so the seed folder stays as committed.
  work="$dir/fuzz/corpus/$t"
  artifacts="$dir/fuzz/artifacts/$t/"
  mkdir -p "$work" "$artifacts" "$seeds"
  echo "== $t: ${seconds}s"
  if ! "$dir/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts" -print_final_stats=1 "${seed_option[@]}" "$work" "$seeds" \
      >"$dir/fuzz/$t.log" 2>&1; then
    echo "!! $t FAILED (log: $dir/fuzz/$t.log; inputs: $artifacts)"
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$dir/fuzz/$t.log" | head -20 || true
    status=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$dir/fuzz/$t.log" | head -2 || true
  fi
done
exit $status
