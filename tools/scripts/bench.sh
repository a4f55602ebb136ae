#!/usr/bin/env bash
# Runs every benchmark program that the build produced, but the long soak (make soak runs it).
set -uo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# The monitoring bench drives the meter simulator that the build made.
export TQ36_METERSIM=${TQ36_METERSIM:-$(realpath "$build/tools/metersim/tq36-metersim")}
for b in $(find "$build/bench" -maxdepth 2 -type f -executable -not -path '*CMakeFiles*' -not -name bench_soak | sort); do
  echo "== $(basename "$b")"
  "$b"
done
# The plot program against gnuplot, when gnuplot is there (apt-get install gnuplot-nox).
if command -v gnuplot >/dev/null; then
  echo "== plot-vs-gnuplot"
  bench/graphs/plot-vs-gnuplot.sh "$build"
fi
# convert against a one-line mawk program of the same output.
echo "== convert-vs-mawk"
bench/cli/convert-vs-mawk.sh "$build"
