#!/usr/bin/env bash
# The Windows monitor's windows fed by the Linux simulator: the simulator's log of two days
# as monitor.txt, its pseudo-terminal as COM5 of the Wine prefix; the probe opens the values
# window, waits for the barogram and a live reading in the title, and saves the screen.
# Usage: gui_live.sh BAROMON_EXE GUI_PROBE_EXE WINEPREFIX LINUX_SIMULATOR PICTURE
# (run inside an X server: ctest starts it with xvfb-run)
set -euo pipefail
. "$(dirname "$0")/simulator-port.sh"
. "$(dirname "$0")/gui-probe.sh"
exe=$1
probe=$2
export WINEPREFIX=$3 WINEDEBUG=-all
sim=$4
picture=$5
if [ ! -x "$sim" ]; then
  echo "no Linux simulator at $sim (build the Linux tree first)"
  exit 77
fi
work=$(mktemp -d)
simpid=
monitor=
cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null || true
  [ -n "$simpid" ] && kill "$simpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --log 2 --out "$work/monitor.txt"
simulator_as_com "$sim" 300 COM5

probe_monitor COM5 screen "$picture" "the live barogram"
echo "the window showed the simulator's barogram and its live readings; the screen is in $picture"
