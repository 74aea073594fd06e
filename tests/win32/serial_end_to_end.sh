#!/usr/bin/env bash
# The Windows program reading a barograph through Wine: the Linux simulator writes to a
# pseudo-terminal that the Wine prefix maps as COM2, and the headless monitor's line
# totals must show decoded sentences; it says where it reads and tells its events on
# standard error.
# Usage: serial_end_to_end.sh BAROMON_EXE LINUX_SIMULATOR WINEPREFIX
set -euo pipefail
. "$(dirname "$0")/simulator-port.sh"
exe=$1
sim=$2
export WINEPREFIX=$3 WINEDEBUG=-all
if [ ! -x "$sim" ]; then
  echo "no Linux simulator at $sim (build the Linux tree first)"
  exit 77
fi
work=$(mktemp -d)
simpid=
cleanup() {
  [ -n "$simpid" ] && kill "$simpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

simulator_as_com "$sim" 60 COM2

mkdir "$work/run"
# Ctrl-C (SIGINT through Wine) ends the monitor through its normal shutdown.
(cd "$work/run" && timeout -s INT -k 20 15 wine "$exe" --headless --port 2=COM2 > "$work/out" 2>&1) || true
cat "$work/out"
totals=$(grep -E 'lines received, [0-9]+ valid sentences' "$work/out" || true)
[ -n "$totals" ] || { echo "no totals line: the monitor did not end through its shutdown"; exit 1; }
valid=$(sed -E 's/.* ([0-9]+) valid sentences.*/\1/' <<< "$totals")
if [ "$valid" -lt 3 ]; then
  echo "only $valid valid sentences from COM2"
  exit 1
fi
# It says where it reads once started, and every event goes to standard error as well.
grep -qE '^baromon: reading COM2 = .* in .*\(KX mode, monitor\.txt\); serving nothing' "$work/out" ||
  { echo "no start line naming COM2, the directory and the mode"; exit 1; }
grep -qE '^baromon: event 2: ' "$work/out" || { echo "event 2 (no monitor.ini yet) not on standard error"; exit 1; }
[ "$(stat -c %s "$work/run/monitor.ini")" -eq 125 ] || { echo "monitor.ini is not the 125-byte file"; exit 1; }
echo "serial end to end: $valid valid sentences through COM2"
