#!/usr/bin/env bash
# End to end: how long `tavrell export` takes on a model compared with Assimp's own command
# converting the same model to binary PLY (a plain format conversion: read, write), and the
# peak memory of both. One run of each, side by side.
#
#   bench/export_vs_assimp.sh MODEL
#
# TAVRELL names the tavrell command to time (default: build/bin/tavrell of this checkout).
# Needs `assimp` (Debian: assimp-utils) and GNU time (Debian: time).
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 MODEL" >&2
  exit 2
fi
model=$1
root=$(cd "$(dirname "$0")/.." && pwd)
tavrell=${TAVRELL:-$root/build/bin/tavrell}
[ -f "$model" ] || { echo "$0: $model: no such model file" >&2; exit 2; }
[ -x "$tavrell" ] || { echo "$0: $tavrell: no tavrell command; build it first (or set TAVRELL)" >&2; exit 2; }
command -v assimp > /dev/null || { echo "$0: no assimp command; install assimp-utils" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "$0: no /usr/bin/time; install the package time" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run NAME COMMAND...: runs the command under GNU time; its output goes to NAME.log.
run() {
  local name=$1
  shift
  local start end
  start=$(date +%s%N)
  if ! /usr/bin/time -v -o "$work/$name.time" "$@" > "$work/$name.log" 2>&1; then
    echo "$0: $name failed:" >&2
    tail -n 20 "$work/$name.log" >&2
    exit 1
  fi
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 )) > "$work/$name.wall"
}

# field NAME LABEL: a value of GNU time's report.
field() { sed -n "s/^[[:space:]]*$2: //p" "$work/$1.time"; }

run tavrell "$tavrell" export "$model" -o "$work/scene/scene.kys" --no-run
run assimp assimp export "$model" "$work/out.ply" -fplyb

report() {
  local name=$1 label=$2
  local wall cpu kb
  wall=$(awk '{printf "%.3f", $1 / 1e6}' "$work/$name.wall")
  cpu=$(awk -v u="$(field "$name" "User time (seconds)")" -v s="$(field "$name" "System time (seconds)")" 'BEGIN {printf "%.2f", u + s}')
  kb=$(field "$name" "Maximum resident set size (kbytes)")
  printf '%-34s %8s s wall  %6s s cpu  %8.1f MB peak\n' "$label" "$wall" "$cpu" "$(awk -v k="$kb" 'BEGIN {print k / 1024}')"
}

echo "model: $model ($(du -h "$model" | cut -f1))"
report tavrell "tavrell export"
report assimp "assimp export (binary PLY)"
# CPU time (user + system) tells more than wall time on a busy machine; both are shown.
cpu() { awk -v u="$(field "$1" "User time (seconds)")" -v s="$(field "$1" "System time (seconds)")" 'BEGIN {print u + s}'; }
awk -v t="$(cat "$work/tavrell.wall")" -v a="$(cat "$work/assimp.wall")" -v tc="$(cpu tavrell)" -v ac="$(cpu assimp)" \
    -v tm="$(field tavrell "Maximum resident set size (kbytes)")" -v am="$(field assimp "Maximum resident set size (kbytes)")" \
    'BEGIN {
      printf "time ratio (tavrell / assimp): %.2f wall", t / a
      if (ac > 0) printf ", %.2f cpu", tc / ac
      printf "\npeak memory ratio (tavrell / assimp): %.2f\n", tm / am
    }'
