#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan and runs the whole suite there. Further words are CMake options
# (CI passes -DDRAVIK_BUILD_APP=OFF: the engine, the simulated calculator and
# dravik-cli with their tests, in half the build time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build-asan -DDRAVIK_SANITIZE=ON "$@"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The soak is a shorter one here: the sanitizers slow every byte down.
export DRAVIK_SOAK_TRIPS=30 DRAVIK_SOAK_SECONDS=90
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900
