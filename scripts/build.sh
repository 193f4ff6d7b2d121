#!/usr/bin/env bash
# Builds into build/ (or the folder given as the first argument) with extra CMake options after it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
# Where ccache is installed, compile through it, with paths taken relative to this checkout so
# that a fresh clone anywhere reuses what an earlier build of the same sources compiled.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$dir" -G Ninja "$@" > "$dir.cmake.log" 2>&1 || { cat "$dir.cmake.log"; exit 1; }
cmake --build "$dir" -j2
