#!/usr/bin/env bash
# Sets up what is missing, builds, exports the example document through the plug-in's Export
# and Run dialog and starts the stand-in renderer on the scene, then waits for its report and
# prints the path of the picture it drew (room.png beside the scene).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
out="${1:-/tmp/tavrell-example}"
mkdir -p "$out"
report="$out/room.kys.report.txt"
picture="$out/room.png"
rm -f "$report" "$picture"
build/bin/tavrell plugins
build/bin/tavrell export examples/room.json -o "$out/room.kys" --run --current-frame --no-output-image --overwrite yes
# The renderer runs on its own; its report appears beside the scene when it has drawn.
for _ in $(seq 1 1200); do
  [ -f "$report" ] && break
  sleep 0.1
done
if [ -f "$report" ]; then
  cat "$report"
else
  echo "The renderer wrote no report to $report" >&2
  exit 1
fi
echo "Exported the example scene to $out/room.kys"
if [ ! -f "$picture" ]; then
  echo "The renderer drew no picture at $picture" >&2
  exit 1
fi
echo "Rendered picture: $picture"
