#!/usr/bin/env bash
# Makes the fuzz targets' seed corpora in tests/fuzz/corpus/ from what the simulator and the
# program produce (live streams, logger memories, record files written by tq36-cli), plus hand-made
# edge cases. Run from the project root after a build:  tools/scripts/fuzz-seeds.sh [BUILD]
# Seeds are replaced; the regression inputs (regress-*) are left alone.
set -euo pipefail
build="${1:-build}"
sim="$build/tools/metersim/tq36-metersim"
cli="$build/tools/cli/tq36-cli"
[ -x "$sim" ] && [ -x "$cli" ] || { echo "fuzz-seeds.sh: build $build first" >&2; exit 1; }
corpus=tests/fuzz/corpus
for t in SerialStream FrameDecoding RecordFile LoggerMemory RangeNumbers ModeString CliArguments; do
  mkdir -p "$corpus/$t"
  find "$corpus/$t" -type f ! -name 'regress-*' -delete
done
work=$(mktemp -d)
sims=()
cleanup() { for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
export TQ36_PORTS_DIR="$work/ports"
mkdir -p "$TQ36_PORTS_DIR"

# A simulator on COM 5 with the options given; waits for its alias link.
start_sim() {
  rm -f "$TQ36_PORTS_DIR/COM5"
  "$sim" --com 5 "$@" >/dev/null 2>&1 &
  sims+=($!)
  for _ in $(seq 50); do [ -e "$TQ36_PORTS_DIR/COM5" ] && return; sleep 0.1; done
  echo "fuzz-seeds.sh: the simulator did not start" >&2; exit 1
}
stop_sim() { kill "${sims[-1]}" 2>/dev/null || true; wait "${sims[-1]}" 2>/dev/null || true; unset 'sims[-1]'; }

# SerialStream: a pace byte, then about a second of the live stream.
stream() {
  local name=$1 pace=$2; shift 2
  start_sim --rate 10 "$@"
  stty -F "$TQ36_PORTS_DIR/COM5" raw -echo
  { printf "\\x$pace"; timeout 1.2 cat "$TQ36_PORTS_DIR/COM5" | head -c 200 || true; } > "$corpus/SerialStream/$name"
  stop_sim
}
stream sim-two-channels-c 08
stream sim-one-channel-f 02 --channels 1 --unit F --type J
stream sim-kelvin-marks 10 --unit K --t1 OL --t2 -OL --type N
stream sim-no-reading 00 --t1 ---- --t2 -12.5 --type T
stream sim-sine-garbage 05 --wave sine --garbage 0.4 --seed 7 --unit F --type E
stream sim-one-channel-marks 17 --channels 1 --t1 -OL --type S
s=$corpus/SerialStream
# Hand-made: stray 02 and 03, a short and a long frame, and every flag of status and channel.
printf '\x08\x02\x03\x02\x00\x00\xfa\x00\x00\x64\x00\x03\x03\x02' > "$s/edge-stray-delimiters"
printf '\x08\x02\x00\x00\xfa\x00\x03\x02\x00\x00\xfa\x00\x00\x64\x00\x03\x00\x00' > "$s/edge-short-frame"
printf '\x08\x02\x00\x00\xfa\x00\x00\x64\x00\x00\x03\x02\x00\x00\xfa\x00\x00\x64\x00\x03' > "$s/edge-long-frame"
{ printf '\x08'
  for flags in 00 20 40 60 80 a0 c0 e0; do
    for unit in 0 1 2 3; do
      printf "\\x02\\x$(printf %02x $((0x$flags | unit)))\\xff\\xff\\x$flags\\x00\\x01\\x0$unit\\x03"
    done
  done
  printf '\x02\x00\x00\x00\xff\x00\x00\x07\x03\x02\x80\x00\x00\x80\x00\x00\xff\x03'
} > "$s/edge-every-flag"

# FrameDecoding: the bodies of the frames in each stream above, one after the other.
for f in "$s"/*; do
  python3 -c '
import sys
d = open(sys.argv[1], "rb").read()[1:]
sys.stdout.buffer.write(b"".join(d[i + 1:i + 8] for i in range(len(d) - 8) if d[i] == 2 and d[i + 8] == 3))
' "$f" > "$corpus/FrameDecoding/$(basename "$f")"
  [ -s "$corpus/FrameDecoding/$(basename "$f")" ] || rm "$corpus/FrameDecoding/$(basename "$f")"
done

# LoggerMemory: the start time typed, a newline, and the memory as the simulator dumps it.
memory() {
  local name=$1 start=$2; shift 2
  start_sim --silent-after 0 "$@"
  local link="$TQ36_PORTS_DIR/COM5"
  exec 3<>"$link"
  stty -F "$link" raw -echo
  printf U >&3
  timeout 1.5 cat <&3 > "$work/dump" || true
  exec 3>&-
  stop_sim
  # The dump is 02, the memory, 03.
  { printf '%s\n' "$start"; tail -c +2 "$work/dump" | head -c -1; } > "$corpus/LoggerMemory/$name"
}
memory sim-three-sets 08:00:00 --sets 2:20:2C,1:12:1Fm,5:8:2Km
memory sim-one-channel 23:59:58 --sets 60:30:1C
memory sim-marks 12:00 --sets 1:40:2Fm
memory sim-many-sets 25:61:70 --sets 1:1:1C,2:2:2F,3:1:1K,255:3:2Cm,10:2:1Fm
l=$corpus/LoggerMemory
printf '8:5:3\n\x00\x55\xaa\x00\x02' > "$l/edge-marker-only"
printf '1:2\n\x07\x00\x55\xaa\x00\x01\x00\x00\xfa\xff\x00\x00\x00\x00\x55\xaa' > "$l/edge-stray-and-cut-marker"
printf 'hh:mm:ss\n\x00\x55\xaa\x00\x03\x00\x00\xfa\x00\x55\xaa\x00\x00\x55\xaa\x00\x01\x20\x00\x00\xff\x00\x00\x00' \
  > "$l/edge-marker-inside-records"

# RecordFile: files the program writes, from the simulator, and hand-made line ends and headers.
record() {
  local name=$1; shift
  start_sim --rate 10 "$@"
  "$cli" record --com 5 --interval 1 --count 3 --out "$work/$name.txt" >/dev/null 2>&1
  stop_sim
  cp "$work/$name.txt" "$corpus/RecordFile/$name"
}
record sim-record-two-channels --unit F --t1 OL
record sim-record-one-channel --channels 1 --unit K
start_sim --sets 1:6:2Cm,2:4:1F --rate 10
"$cli" download --com 5 --out-dir "$work/sets" --start 23:59:58 >/dev/null 2>&1
stop_sim
cp "$work/sets/set01.txt" "$corpus/RecordFile/sim-download-two-channels"
cp "$work/sets/set02.txt" "$corpus/RecordFile/sim-download-one-channel"
r=$corpus/RecordFile
header='No.s    Time            T1      T2      T1-T2   Unit'
printf '\xef\xbb\xbf%s\r\n1\t08:00:00\t1.0\t2.0\t-1.0\tC\r\n' "$header" > "$r/edge-bom-crlf"
printf '%s\r1\t08:00:00\t25.5\tC\r\r\n\n2\t08:00:01\t----\tC' "$header" > "$r/edge-cr-and-blank-lines"
printf 'No.s\tTime\tT1\tT2\tT1-T2\tUnit\t\n1\t08:00:00\tOL\t-OL\t----\tK\t\n' > "$r/edge-list-save-tabs"
printf '%s\n%s\n' "$header" "$header" > "$r/edge-headers-only"
{ printf '1\t'; head -c 1500 /dev/zero | tr '\0' 7; printf '\tC\n2\t\0\0\t1.0\tC\n'; } > "$r/edge-long-line-nul"
: > "$r/edge-empty"

# RangeNumbers: unit, max, min, counts, width, height, T1, T2, R1, R2, records, interval.
n=$corpus/RangeNumbers
printf 'C\n1767\n-200\n5  min\n9\n5\n-200\n1767\n1\n100\n100\n2' > "$n/edge-defaults-c"
printf 'F\n1999.9\n-328\n1440\n14\n14\n0.5\n1.5\n2\n3\n3\n86400' > "$n/edge-limits-f"
printf 'K\n 100.25 \n+0.5\n0.9\n4.5\n+1e1\n--5\n abc\n0\n-1\n0\n2.5' > "$n/edge-odd-texts-k"
printf 'C\n99999999999999999999999\n-1.\n1441\n14.5\n nan\n.\n-.5\n1.9\n2.1\n2\n 3.5\t' > "$n/edge-huge-and-halves"

# ModeString: the meter's settings and the forms the driver takes.
m=$corpus/ModeString
printf 'baud=9600 parity=N data=8 stop=1' > "$m/meter-settings"
printf '9600,N,8,1' > "$m/short-form"
printf 'BAUD=115200 Parity=e DATA=7 stop=2 xon=on octs=off' > "$m/long-form-all-keys"
printf '19200,m,5,1.5,x' > "$m/short-form-flow"
printf ' ,,,,p' > "$m/short-form-empty-fields"
printf 'baud=9601 data=9 stop=3 parity=X' > "$m/invalid-values"

# CliArguments: NUL-separated arguments, one command line per file.
c=$corpus/CliArguments
args() { local name=$1; shift; printf '%s\0' "$@" | head -c -1 > "$c/$name"; }
args read-json read --com 3 --json --count 10
args record-duration record --com 1 --interval 1 --out run1.txt --force --duration 8h
args record-count record --com=256 --out=x.txt --count 1000000000 --interval 86400
args download-start download --com 3 --out-dir sets/ --start 08:00:00 --list
args ports ports
args help-version --help --version -h
args bad-values record --com 0 --duration -1m --start 8 --count x
echo "seeds written: $(find "$corpus" -type f | wc -l) files, $(du -sk "$corpus" | cut -f1) KB"
