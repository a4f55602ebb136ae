#!/usr/bin/env bash
# Writes a PNG of every window, in the states worth looking at, into <build>/screenshots/.
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
out="$build/screenshots"
mkdir -p "$out"
export TQ36_PORTS_DIR=$(mktemp -d)
sim="$build/tools/metersim/tq36-metersim"
shot="$build/tools/screenshots/tq36-screenshots"
trap 'rm -rf "$TQ36_PORTS_DIR"' EXIT

if [ -z "${XVFB_RUNNING:-}" ] && [ -z "${DISPLAY:-}" ]; then
  exec env XVFB_RUNNING=1 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
fi

# with_meter NAME "SIM OPTIONS" SHOT-OPTIONS...: one picture with the simulator running on COM 1.
with_meter() {
  local name=$1 simargs=$2; shift 2
  local log; log=$(mktemp)
  if [ -n "$simargs" ]; then
    # shellcheck disable=SC2086
    "$sim" --com 1 $simargs >"$log" 2>&1 &
    local pid=$!
    for _ in $(seq 50); do grep -q -- '->' "$log" && break; sleep 0.1; done
  fi
  if "$shot" --com 1 --out "$out/$name.png" "$@"; then echo "wrote $out/$name.png"; else echo "FAILED $name" >&2; fi
  [ -n "$simargs" ] && { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
  rm -f "$log"
}

with_meter port-window "--channels 2" --window Port
with_meter serial-devices "--channels 2" --window SerialDevices
with_meter panel-two-channel "--channels 2 --t1 23.5 --t2 -21.7" --window Panel --until-reading
with_meter panel-one-channel "--channels 1 --t1 1372.0 --unit F" --window Panel --until-reading
with_meter panel-overload "--channels 2 --t1 OL --t2 -OL --unit K --type J" --window Panel --until-reading
with_meter panel-no-com "" --window Panel --until-nocom --timeout 30
with_meter panel-help "--channels 2" --window Panel --until-reading --toolbar help
with_meter panel-recording "--channels 2 --wave sine" --window Panel --until-reading \
  --save-to "$TQ36_PORTS_DIR/run1.txt" --toolbar Save --settle 7
with_meter list-two-channel "--channels 2 --wave sine" --window List2 --until-reading --toolbar List --settle 9
with_meter list-one-channel "--channels 1 --wave sine --t1 -12.5" --window List1 --until-reading \
  --toolbar List --settle 9
with_meter data-logger-transfer "--channels 2 --logger full --baud 9600" --window Memory --until-reading \
  --toolbar Memory --grab-during 12 --settle 0
with_meter data-logger "--channels 2 --sets 10:120:2Cm,2:40:1F,60:300:2K --baud 9600" --window Memory \
  --until-reading --toolbar Memory
with_meter data-list-two-channel "--channels 2 --sets 10:120:2Cm,2:40:1F --baud 9600" --window DataList2 \
  --until-reading --toolbar Memory --open-set 1 --answer 23:59:30
with_meter data-list-one-channel "--channels 1 --sets 10:120:2Cm,2:40:1Fm --baud 9600" --window DataList1 \
  --until-reading --toolbar Memory --open-set 2 --answer 8:5:3
# A set a one-channel meter recorded, opened while a two-channel meter is attached, and plotted.
with_meter plot-data-set-one-channel "--channels 2 --sets 10:120:2Cm,2:40:1C --baud 9600" --window ListPlot1 \
  --until-reading --toolbar Memory --open-set 2 --answer 8:00:00 --after-set DataList1:Plot --settle 3
# The charts on clocks that run faster, the meter sending as much faster (--rate is twice the factor).
with_meter graph-two-channel "--channels 2 --wave sine --rate 50" --window RealTime23 --until-reading --toolbar Graph \
  --fast-clock 25 --settle 16
with_meter graph-one-channel "--channels 1 --wave sine --unit F --rate 50" --window RealTime23 --until-reading \
  --toolbar Graph --fast-clock 25 --settle 16
with_meter range-dialog "--channels 2" --window RealTimeRange --until-reading --toolbar Graph \
  --toolbar RealTime23:Limit
with_meter avg-two-channel "--channels 2 --wave sine" --window AVG2 --until-reading --toolbar AVG --settle 5
with_meter avg-one-channel "--channels 1 --wave sine --unit F" --window AVG1 --until-reading --toolbar AVG --settle 5
with_meter graph-range "--channels 2 --wave sine --rate 20" --window RealTime23 --until-reading --toolbar Graph \
  --range 40:0:2 --fast-clock 10 --settle 14
# A minute across at 20 times the speed: the pen is well into its third sweep, over the labels of
# the earlier ones.
with_meter graph-second-sweep "--channels 2 --wave sine --rate 40" --window RealTime23 --until-reading --toolbar Graph \
  --range 1671.9:0:1 --fast-clock 20 --settle 8
# Record files to open: a two-channel recording as the program writes it, a one-channel list save
# (chosen as "oven": Open adds the ".txt").
awk 'BEGIN { printf "No.s    Time            T1      T2      T1-T2   Unit\r\n";
             for (i = 1; i <= 40; i++) printf "%d\t10:%02d:%02d\t%.1f\t%.1f\t%.1f\tC\r\n", i, int(i*2/60), (i*2)%60,
               20+i/10, 18+i/20, 2+i/20 }' > "$TQ36_PORTS_DIR/bath.txt"
awk 'BEGIN { printf "No.s    Time            T1      T2      T1-T2   Unit\r\n";
             for (i = 1; i <= 40; i++) printf "%d\t08:%02d:%02d\t%.1f\tF\t\r\n", i, int(i*5/60), (i*5)%60, 70+i/4 }' \
  > "$TQ36_PORTS_DIR/oven.txt"
with_meter file-list-two-channel "--channels 2" --window FileList2 --until-reading \
  --save-to "$TQ36_PORTS_DIR/bath.txt" --toolbar Open
with_meter file-list-one-channel "--channels 2" --window FileList1 --until-reading \
  --save-to "$TQ36_PORTS_DIR/oven" --toolbar Open
with_meter plot-two-channel "--channels 2" --window ListPlot1 --until-reading \
  --save-to "$TQ36_PORTS_DIR/bath.txt" --toolbar Open --toolbar FileList2:Plot --settle 3
with_meter plot-one-channel "--channels 2" --window ListPlot1 --until-reading \
  --save-to "$TQ36_PORTS_DIR/oven" --toolbar Open --toolbar FileList1:Plot --settle 3
with_meter plot-range "--channels 2" --window PlotRange --until-reading \
  --save-to "$TQ36_PORTS_DIR/bath.txt" --toolbar Open --toolbar FileList2:Plot --toolbar ListPlot1:Limit
with_meter plot-narrowed "--channels 2" --window ListPlot1 --until-reading \
  --save-to "$TQ36_PORTS_DIR/bath.txt" --toolbar Open --toolbar FileList2:Plot --plot-range 0:30:5:40 --settle 3
