#!/usr/bin/env bash
# Exports every model file under a folder (default: Debian's assimp-testmodels) with
# `tavrell export --wait`, the stand-in renderer checking each scene, and sums up: how many
# exported and were accepted, how many were refused and why, and any that crashed, hung or
# made a sanitizer speak. Not a test (it takes minutes); run it after changing the importer or
# the exporter, and with TAVRELL=build-asan/bin/tavrell for a sanitizer sweep (Assimp's own
# readers leak on some files: read the stack of each report before blaming our code).
#
#   scripts/sweep-models.sh [FOLDER] [OUT]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tavrell=${TAVRELL:-$root/build/bin/tavrell}
models=${1:-/usr/share/assimp/models}
out=${2:-$(mktemp -d)}
[ -x "$tavrell" ] || { echo "$0: $tavrell: no tavrell command; build it first (or set TAVRELL)" >&2; exit 2; }
[ -d "$models" ] || { echo "$0: $models: no such folder (apt-get install assimp-testmodels)" >&2; exit 2; }
mkdir -p "$out"
results="$out/results.tsv"
: > "$results"
extensions='3d|3ds|ac|amf|ase|b3d|blend|bvh|cob|dae|dxf|fbx|glb|gltf|hmp|irr|irrmesh|lwo|lws|lxo|m3d|md2|md3|md5mesh|mdc|mdl|ms3d|nff|obj|off|ogex|ply|q3o|raw|smd|stl|ter|wrl|x|x3d|xgl|xml|zae|zgl'
n=0
while IFS= read -r -d '' model; do
  n=$((n + 1))
  dir="$out/$n"
  mkdir -p "$dir"
  start=$(date +%s.%N)
  KYRANO_CHECK_ONLY=1 timeout -s KILL 300 "$tavrell" export "$model" -o "$dir/scene.kys" --wait --overwrite yes \
    > "$dir/stdout" 2> "$dir/stderr"
  rc=$?
  seconds=$(echo "$(date +%s.%N) - $start" | bc)
  said=$(grep -m1 -E "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error" "$dir/stderr" | cut -c1-120)
  printf '%s\t%s\t%.1f\t%s\t%s\n' "$rc" "$model" "$seconds" "$said" "$(tail -1 "$dir/stderr" | cut -c1-200)" >> "$results"
done < <(find "$models" -type f -regextype posix-extended -iregex ".*\.($extensions)" -print0 | sort -z)

echo "$n model files under $models; results in $results"
awk -F'\t' '
  $1 == 0 && $4 == "" { ok++ }
  $1 == 1 && $4 == "" { refused++ }
  $4 != "" { sanitizer++; print "sanitizer: " $2 ": " $4 }
  $1 != 0 && $1 != 1 { other++; print "exit " $1 (($1 == 137) ? " (killed after 300 s)" : "") ": " $2 }
  END { printf "exported and accepted: %d; refused with a message: %d; sanitizer reports: %d; crashed or hung: %d\n",
        ok, refused, sanitizer, other }' "$results"
