#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the plug-in on the example document.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
out="${1:-/tmp/tavrell-example}"
mkdir -p "$out"
build/bin/tavrell plugins
build/bin/tavrell open examples/room.json -o "$out/room.json"
echo "Saved the example document to $out/room.json"
