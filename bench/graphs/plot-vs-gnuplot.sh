#!/usr/bin/env bash
# The plot bench: a two-channel record file of 58300 records drawn to a 640x600 PNG by tq36-cli plot
# and by gnuplot (plot.gp beside this script, the yardstick), the two in turn, RUNS times each
# after one warm-up. Prints each one's median wall time (to the millisecond) and peak memory, and
# the ratio. Further arguments go to tq36-cli plot (--like-window: the plot window's chart).
#   plot-vs-gnuplot.sh [BUILD] [RUNS] [PLOT OPTIONS...]   (gnuplot from gnuplot-nox; GNU time in /usr/bin/time)
set -euo pipefail
export LC_ALL=C  # bash writes its clock with the locale's decimal point
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
shift $(( $# < 2 ? $# : 2 ))
cli="$build/tools/cli/tq36-cli"
for tool in gnuplot /usr/bin/time "$cli"; do
  command -v "$tool" >/dev/null || { echo "plot-vs-gnuplot: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$here/make-record-file.sh" 58300 > rec.txt
cp "$here/plot.gp" .
# One run: "seconds kilobytes"; the wall time from bash's clock, as GNU time's has 10 ms steps.
measure() {
  local start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o sample "$@" >/dev/null 2>&1
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" -v m="$(cat sample)" 'BEGIN { printf "%.4f %s\n", b - a, m }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
measure "$cli" plot rec.txt --out tq36.png --size 640x600 --force "$@" >/dev/null
measure gnuplot plot.gp >/dev/null
for i in $(seq "$runs"); do
  measure "$cli" plot rec.txt --out tq36.png --size 640x600 --force "$@" >> tq36.times
  measure gnuplot plot.gp >> gnuplot.times
done
t_ours=$(cut -d' ' -f1 tq36.times | median); m_ours=$(cut -d' ' -f2 tq36.times | median)
t_gp=$(cut -d' ' -f1 gnuplot.times | median); m_gp=$(cut -d' ' -f2 gnuplot.times | median)
echo "tq36-cli plot $*: median ${t_ours} s, ${m_ours} KB peak ($runs runs)"
echo "gnuplot:       median ${t_gp} s, ${m_gp} KB peak"
awk -v a="$t_ours" -v b="$t_gp" 'BEGIN { printf "tq36-cli plot / gnuplot wall: %.2f\n", a / b }'
