#!/usr/bin/env bash
# Sets up what is missing, builds from nothing and runs every test: once plain, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2
scripts/build.sh build-asan -DTAVRELL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j2
if [ -x fuzz/run.sh ]; then fuzz/run.sh "${FUZZ_SECONDS:-20}"; fi
