#!/usr/bin/env bash
# dft.exe's window under Wine on a virtual X screen: started in a directory with a log of two
# days, it shows the spectrum (curve and tide marks, seen by the probe), and closed, it ends
# with 0. The probe's picture of the client area is kept as gui_spectrum.png in the build tree.
# Usage: gui_spectrum.sh DFT_EXE GUI_PROBE_EXE WINEPREFIX PICTURE
# (run inside an X server: ctest starts it with xvfb-run)
set -euo pipefail
exe=$1
probe=$2
export WINEPREFIX=$3 WINEDEBUG=-all
picture=$4
work=$(mktemp -d)
dft=
cleanup() {
  [ -n "$dft" ] && kill "$dft" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

wine "$probe" seed "$(winepath -w "$work")"
(cd "$work" && exec wine "$exe" > "$work/out" 2>&1) &
dft=$!
status=0 code=0
wine "$probe" spectrum "$(winepath -w "$picture")" || status=$?
[ "$status" -eq 0 ] || kill "$dft" 2>/dev/null || true
wait "$dft" || code=$?
dft=
cat "$work/out"
[ "$status" -eq 0 ] || { echo "the spectrum window was not seen"; exit 1; }
[ "$code" -eq 0 ] || { echo "dft.exe ended with $code"; exit 1; }
echo "the spectrum window showed its curve and marks and ended with 0"
