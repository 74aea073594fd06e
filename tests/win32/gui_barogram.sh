#!/usr/bin/env bash
# The Windows monitor's windows under Wine on a virtual X screen: started without a command
# in a directory with a seeded log and a port that is not there, it shows the port's box
# (answered by the probe), then the barogram of the log; closed, it ends with 0 and leaves
# the 125-byte monitor.ini. The probe's picture of the client area is kept as
# gui_barogram.png in the build tree.
# Usage: gui_barogram.sh BAROMON_EXE GUI_PROBE_EXE WINEPREFIX PICTURE
# (run inside an X server: ctest starts it with xvfb-run)
set -euo pipefail
. "$(dirname "$0")/gui-probe.sh"
exe=$1
probe=$2
export WINEPREFIX=$3 WINEDEBUG=-all
picture=$4
work=$(mktemp -d)
monitor=
cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

wine "$probe" seed "$(winepath -w "$work")"
# COM42 is on no machine: start-up shows the port's box, then goes on without a port.
probe_monitor COM42 check "$picture" "the barogram"
[ -f "$work/monitor.ini" ] && [ "$(stat -c %s "$work/monitor.ini")" -eq 125 ] ||
  { echo "monitor.ini is not the 125-byte file"; exit 1; }
echo "the window showed the seeded barogram and ended with 0; monitor.ini 125 bytes"
