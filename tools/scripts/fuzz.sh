#!/usr/bin/env bash
# make fuzz: builds the fuzz targets with clang's libFuzzer, address and undefined-behaviour
# sanitizers in build-fuzz/, runs each for FUZZ_SECONDS from a work copy of its committed corpus,
# then replays what each reached in a coverage build and prints a summary per target.
#   FUZZ_SECONDS=60         how long each target runs
#   FUZZ_TARGETS="a b"      a subset of the targets (default: all of them)
#   FUZZ_JOBS=1             how many targets run at a time
# Exits non-zero on any crash, sanitizer report, leak, input slower than 1 s or memory above
# 512 MB; the input that caused it stays in build-fuzz/artifacts/<target>/.
set -euo pipefail
seconds="${FUZZ_SECONDS:-60}"
jobs="${FUZZ_JOBS:-1}"
all="SerialStream FrameFinding FrameDecoding RecordFile LoggerMemory RangeNumbers ModeString CliArguments"
targets="${FUZZ_TARGETS:-$all}"
out=build-fuzz
root=$(pwd)
# The 512 MB limit is for the parser's memory: address sanitizer's quarantine of freed blocks
# (256 MB by default) is kept at 64 MB so that it does not fill most of it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64}"

# The parser's own files, whose lines covered the summary counts.
parser_files() {
  case "$1" in
    SerialStream) echo src/acquisition/AcquisitionEngine.cpp src/acquisition/FrameFinder.cpp src/meter/Meter.cpp src/meter/Reading.cpp ;;
    FrameFinding) echo src/acquisition/FrameFinder.cpp ;;
    FrameDecoding) echo src/meter/Meter.cpp src/meter/Reading.cpp ;;
    RecordFile)   echo src/records/RecordFileReader.cpp src/records/RecordTable.cpp ;;
    LoggerMemory) echo src/logger/LoggerFormat.cpp src/logger/DumpReceiver.cpp ;;
    RangeNumbers) echo src/graphs/RangeInput.cpp src/acquisition/SamplingSchedule.cpp ;;
    ModeString)   echo src/serial/ModeString.cpp ;;
    CliArguments) echo tools/cli/CliOptions.cpp ;;
    *) echo "fuzz.sh: no target $1 (targets: $all)" >&2; exit 64 ;;
  esac
}
for t in $targets; do parser_files "$t" >/dev/null; done

build() {
  local dir=$1 mode=$2
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTQ36_FUZZ="$mode" >/dev/null
  cmake --build "$dir" -j "$(nproc)" -- $(for t in $targets; do echo "tests/fuzz/fuzz-$t"; done) >/dev/null
}
echo "Building the fuzz targets in $out/ ..."
build "$out/fuzzers" libfuzzer
build "$out/coverage" coverage

fuzz_one() {
  local t=$1
  rm -rf "$out/work/$t" "$out/artifacts/$t"
  mkdir -p "$out/work/$t" "$out/artifacts/$t" "$out/logs"
  cp -r "tests/fuzz/corpus/$t/." "$out/work/$t/"
  local status=0
  "$out/fuzzers/tests/fuzz/fuzz-$t" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=512 -detect_leaks=1 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$t/" "$out/work/$t" >"$out/logs/$t.log" 2>&1 || status=$?
  echo "$status" >"$out/logs/$t.status"
}

echo "Fuzzing $targets for ${seconds} s each, $jobs at a time; logs in $out/logs/"
running=0
for t in $targets; do
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
  fuzz_one "$t" &
  running=$((running + 1))
done
wait

# Lines covered in the parser's own files by the corpus each target reached.
lines_covered() {
  local t=$1 prof="$out/coverage/profiles/$t"
  rm -rf "$prof" && mkdir -p "$prof"
  LLVM_PROFILE_FILE="$prof/%p.profraw" "$out/coverage/tests/fuzz/fuzz-$t" "$out/work/$t" >/dev/null 2>&1 || true
  llvm-profdata-14 merge -sparse -o "$prof/merged.profdata" "$prof"/*.profraw 2>/dev/null || { echo "-"; return; }
  local files=() f
  for f in $(parser_files "$t"); do files+=("$root/$f"); done
  llvm-cov-14 report "$out/coverage/tests/fuzz/fuzz-$t" -instr-profile="$prof/merged.profdata" "${files[@]}" \
    | awk '/^TOTAL/ { printf "%d/%d %s", $8 - $9, $8, $10 }'
}

failed=0
printf '\n%-14s %12s %9s %7s %20s  %s\n' target runs runs/s edges "lines (parser)" findings
for t in $targets; do
  log="$out/logs/$t.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(find "$out/artifacts/$t" -type f | wc -l)
  status=$(cat "$out/logs/$t.status")
  what="$found"
  if [ "$status" != 0 ] || [ "$found" -gt 0 ]; then
    failed=1
    what="$found ($(grep -m1 -oE 'ERROR: [A-Za-z]+: [a-z-]+|broken invariant: .*|ERROR: libFuzzer: [a-z-]+' "$log" || echo "exit $status"))"
  fi
  printf '%-14s %12s %9s %7s %20s  %s\n' "$t" "${runs:--}" "${rate:--}" "${edges:--}" "$(lines_covered "$t")" "$what"
done
if [ "$failed" -ne 0 ]; then
  echo "Findings: the inputs are in $out/artifacts/<target>/, the reports in $out/logs/<target>.log."
  echo "Replay one with: $out/fuzzers/tests/fuzz/fuzz-<target> <input>"
  exit 1
fi
echo "No findings."
