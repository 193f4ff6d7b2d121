#!/usr/bin/env bash
# Builds into build/ (or the folder given as the first argument) with extra CMake options after it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja "$@" > "$dir.cmake.log" 2>&1 || { cat "$dir.cmake.log"; exit 1; }
cmake --build "$dir" -j2
