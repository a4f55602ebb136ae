#!/usr/bin/env bash
# The convert bench: a two-channel record file of 10^6 records turned into CSV by tq36-cli convert
# --out and by a one-line mawk program that writes the same bytes (the yardstick), the two in turn,
# RUNS times each after one warm-up. Checks that the two outputs are byte-identical and prints
# each one's median wall time and the ratio.
#   convert-vs-mawk.sh [BUILD] [RUNS] [RECORDS]     (mawk; GNU time in /usr/bin/time)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
records=${3:-1000000}
cli="$build/tools/cli/tq36-cli"
for tool in mawk /usr/bin/time "$cli"; do
  command -v "$tool" >/dev/null || { echo "convert-vs-mawk: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$here/../graphs/make-record-file.sh" "$records" > rec.txt
header=record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark
# The file holds numbers only, so the mark columns stay empty.
program='BEGIN { RS = "\r\n"; ORS = "\r\n"; OFS = ","; print "'$header'" } NR > 1 { print $1, $2, $3, $4, $5, $6, "", "", "" }'
# One run, its wall time in seconds appended to the file named first; each run writes a new file,
# as a first conversion does.
measure() { local times=$1; shift; /usr/bin/time -f "%e" -o sample "$@"; cat sample >> "$times"; }
fresh() { rm -f tq36.csv mawk.csv; sync; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fresh
measure warm "$cli" convert rec.txt --out tq36.csv 2>/dev/null
cp tq36.csv ours.csv
measure warm mawk -F '\t' "$program" rec.txt > mawk.csv
cmp -s ours.csv mawk.csv || { echo "convert-vs-mawk: the two outputs differ" >&2; cmp ours.csv mawk.csv >&2; exit 1; }
rm ours.csv
for i in $(seq "$runs"); do
  fresh
  measure tq36.times "$cli" convert rec.txt --out tq36.csv 2>/dev/null
  fresh
  measure mawk.times mawk -F '\t' "$program" rec.txt > mawk.csv
done
t_ours=$(median < tq36.times); t_mawk=$(median < mawk.times)
echo "tq36-cli convert --out: median ${t_ours} s ($runs runs of $records records; outputs byte-identical)"
echo "mawk:                   median ${t_mawk} s"
awk -v a="$t_ours" -v b="$t_mawk" 'BEGIN { printf "tq36-cli convert / mawk wall: %.2f\n", a / b }'
