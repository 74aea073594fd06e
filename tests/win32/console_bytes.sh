#!/usr/bin/env bash
# Texts leave the Windows program in Windows-1252, the code page of its texts: a box of
# the headless monitor in German ("... steht nicht zur Verfügung !", "ü" the byte 0xFC)
# reaches redirected standard error as those bytes, not as UTF-8 as on Linux.
# Usage: console_bytes.sh BAROMON_EXE WINEPREFIX
set -uo pipefail
exe=$1
export WINEPREFIX=$2 WINEDEBUG=-all LC_ALL=C
work=$(mktemp -d)
monitor=
cleanup() {
  if [ -n "$monitor" ]; then kill "$monitor" 2>/dev/null; wait "$monitor" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
# No monitor.ini: German; the port is a COM port nobody has.
wine "$exe" --headless --port 2=COM77 > out 2> err &
monitor=$!
# The box comes at start-up; the monitor then runs on until it is stopped.
deadline=$((SECONDS + 60))
until grep -q 'zur Verf' err 2>/dev/null || [ $SECONDS -ge $deadline ]; do
  sleep 0.2
done
kill "$monitor" 2>/dev/null
wait "$monitor" 2>/dev/null
monitor=
od -c err | head -n 8
if ! grep -q $'zur Verf\xfcgung !' err || grep -q $'\xc3\xbc' err; then
  echo "FAILED: the box text is not in Windows-1252"
  exit 1
fi
echo "the box text is Windows-1252"
