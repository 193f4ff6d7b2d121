#!/usr/bin/env bash
# End to end: `tavrell export` of a model against Assimp's own command converting the same
# model to binary PLY (a plain format conversion: read, write), in processor time, wall time
# and peak memory. The two run as interleaved pairs (which goes first alternates); each pair
# gives the ratios tavrell / assimp, and the medians over the pairs are printed. Processor
# time (user + system) is the figure to trust on a shared machine; the load average is printed
# before and after.
#
#   bench/export_vs_assimp.sh [MODEL]
#
# Without MODEL, a binary PLY of 2,000,000 triangles (a wavy grid with vertex normals) is made
# and used. PAIRS sets the number of pairs (default 5); TAVRELL names the tavrell command to
# time (default: build/bin/tavrell of this checkout). Needs `assimp` (Debian: assimp-utils),
# GNU time (Debian: time) and perl.
set -euo pipefail

if [ $# -gt 1 ]; then
  echo "usage: $0 [MODEL]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
tavrell=${TAVRELL:-$root/build/bin/tavrell}
pairs=${PAIRS:-5}
[ -x "$tavrell" ] || { echo "$0: $tavrell: no tavrell command; build it first (or set TAVRELL)" >&2; exit 2; }
command -v assimp > /dev/null || { echo "$0: no assimp command; install assimp-utils" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "$0: no /usr/bin/time; install the package time" >&2; exit 2; }
[[ $pairs =~ ^[1-9][0-9]*$ ]] || { echo "$0: PAIRS must be a positive whole number, not '$pairs'" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# big_ply FILE: a wavy grid of 1000 x 1000 quads cut into 2,000,000 triangles, 1,002,001
# shared vertices with their normals, little-endian binary.
big_ply() {
  command -v perl > /dev/null || { echo "$0: no perl to make the model with; give a MODEL" >&2; exit 2; }
  perl - "$1" <<'PERL'
use strict; use warnings;
my ($out) = @ARGV;
my $n = 1000;
my $side = $n + 1;
open(my $fh, '>:raw', $out) or die "$out: $!";
print $fh "ply\nformat binary_little_endian 1.0\ncomment a wavy grid of " . (2 * $n * $n) . " triangles\n",
  "element vertex " . ($side * $side) . "\nproperty float x\nproperty float y\nproperty float z\n",
  "property float nx\nproperty float ny\nproperty float nz\n",
  "element face " . (2 * $n * $n) . "\nproperty list uchar int vertex_indices\nend_header\n";
for my $j (0 .. $n) {
  my $buf = '';
  for my $i (0 .. $n) {
    my $z = 0.02 * sin($i * 0.05) * cos($j * 0.07);
    my $dx = -0.02 * 0.05 * $n * cos($i * 0.05) * cos($j * 0.07);
    my $dy = 0.02 * 0.07 * $n * sin($i * 0.05) * sin($j * 0.07);
    my $l = sqrt($dx * $dx + $dy * $dy + 1);
    $buf .= pack('f<6', $i / $n, $j / $n, $z, $dx / $l, $dy / $l, 1 / $l);
  }
  print $fh $buf;
}
for my $j (0 .. $n - 1) {
  my $buf = '';
  for my $i (0 .. $n - 1) {
    my $a = $j * $side + $i;
    my ($b, $c, $d) = ($a + 1, $a + 1 + $side, $a + $side);
    $buf .= pack('C l<3 C l<3', 3, $a, $b, $c, 3, $a, $c, $d);
  }
  print $fh $buf;
}
close($fh) or die "$out: $!";
PERL
}

if [ $# -eq 1 ]; then
  model=$1
  [ -f "$model" ] || { echo "$0: $model: no such model file" >&2; exit 2; }
else
  model=$work/big.ply
  big_ply "$model"
fi

# run NAME COMMAND...: runs the command under GNU time; its output goes to NAME.log.
run() {
  local name=$1
  shift
  local start end
  rm -rf "$work/scene" "$work/out.ply"
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
cpu() { awk -v u="$(field "$1" "User time (seconds)")" -v s="$(field "$1" "System time (seconds)")" 'BEGIN {print u + s}'; }
peak() { field "$1" "Maximum resident set size (kbytes)"; }

run_tavrell() { run tavrell "$tavrell" export "$model" -o "$work/scene/scene.kys" --no-run; }
run_assimp() { run assimp assimp export "$model" "$work/out.ply" -fplyb; }

echo "model: $model ($(du -h "$model" | cut -f1)); $pairs pairs"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
: > "$work/pairs"
for ((i = 0; i < pairs; i++)); do
  if ((i % 2 == 0)); then run_tavrell; run_assimp; else run_assimp; run_tavrell; fi
  echo "$(cpu tavrell) $(cpu assimp) $(cat "$work/tavrell.wall") $(cat "$work/assimp.wall") $(peak tavrell) $(peak assimp)" >> "$work/pairs"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

# median COLUMN_EXPRESSION: the median over the pairs of an awk expression of the columns
# (1 tavrell cpu, 2 assimp cpu, 3 tavrell wall, 4 assimp wall, 5 tavrell peak, 6 assimp peak).
median() { awk "{print $1}" "$work/pairs" | sort -g | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
printf '%-28s %7.2f s cpu  %7.2f s wall  %7.1f MB peak\n' "tavrell export" "$(median '$1')" "$(median '$3 / 1e6')" "$(median '$5 / 1024')"
printf '%-28s %7.2f s cpu  %7.2f s wall  %7.1f MB peak\n' "assimp export (binary PLY)" "$(median '$2')" "$(median '$4 / 1e6')" "$(median '$6 / 1024')"
printf 'tavrell / assimp, medians of the pairs: time %.2fx cpu (%.2fx wall), peak memory %.2fx\n' \
  "$(median '$1 / $2')" "$(median '$3 / $4')" "$(median '$5 / $6')"
