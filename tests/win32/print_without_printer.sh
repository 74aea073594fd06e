#!/usr/bin/env bash
# `baromon print` in a Wine prefix without a printer: the failure is reported and the
# exit status says so; nothing claims a printed page.
# Usage: print_without_printer.sh BAROMON_EXE WINEPREFIX
set -uo pipefail
exe=$1
export WINEPREFIX=$2 WINEDEBUG=-all
if wine reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device 2>/dev/null |
  grep -q Device; then
  echo "the prefix has a default printer: nothing to test"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for args in "" "--nmea"; do
  status=0
  (cd "$work" && wine "$exe" print $args) > "$work/out" 2> "$work/err" || status=$?
  echo "print $args: exit $status, $(cat "$work/err")"
  if [ "$status" -ne 1 ] || [ -s "$work/out" ] || ! grep -q "no printer" "$work/err"; then
    echo "FAILED: print $args should fail with 'no printer' and print nothing on standard output"
    failed=1
  fi
done
exit $failed
