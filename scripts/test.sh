#!/usr/bin/env bash
# Sets up what is missing, builds from nothing and runs every test: once plain, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short fuzzing run. Ends with the wall
# time of each step.
set -euo pipefail
cd "$(dirname "$0")/.."

times=()
# step NAME COMMAND...: runs the command (a failure ends the script) and records its wall time.
step() {
    local name="$1" start=$SECONDS
    shift
    "$@"
    times+=("$(printf '%-12s %4d s' "$name" $((SECONDS - start)))")
}

step deps scripts/install-deps.sh
step build scripts/build.sh build
step ctest ctest --test-dir build --output-on-failure -j2
# The benchmarks are built (and so kept compiling) in the plain build only; nothing runs them here.
step asan-build scripts/build.sh build-asan -DTAVRELL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DTAVRELL_BENCH=OFF
step asan-ctest env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
if [ -x fuzz/run.sh ]; then step fuzz fuzz/run.sh "${FUZZ_SECONDS:-20}"; fi

echo "test: wall time per step"
printf 'test:   %s\n' "${times[@]}"
echo "test:   total        $(printf '%4d' "$SECONDS") s"
