#!/usr/bin/env bash
# dft.exe (the plain sum) against the Linux dft (FFTW) on the same simulated log: the same
# summary and tides, a PNG of the size asked for; without a log both fail with 1 and say so.
# Usage: same_spectrum.sh DFT_EXE LINUX_BUILD WINEPREFIX
set -euo pipefail
exe=$1
linux=$2/dft
sim=$2/baromon-sim
export WINEPREFIX=$3 WINEDEBUG=-all
if [ ! -x "$linux" ] || [ ! -x "$sim" ]; then
  echo "no Linux dft in $2 (build the Linux tree first)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# No log yet.
status=0
wine "$exe" --out none.png > win.out 2> win.err || status=$?
[ "$status" -eq 1 ] || fail "dft.exe without a log ended with $status"
grep -q "monitor.txt" win.err || fail "dft.exe without a log said: $(cat win.err)"
[ ! -e none.png ] || fail "dft.exe without a log wrote a picture"

"$sim" --log 12 --out monitor.txt --seed 5 > /dev/null
wine "$exe" --out win.png --size 640x400 > win.out || fail "dft.exe ended with $?"
QT_QPA_PLATFORM=offscreen "$linux" --out linux.png --size 640x400 > linux.out 2> /dev/null || fail "dft ended with $?"
cmp -s win.out linux.out || fail "the lines differ: $(cat win.out) / $(cat linux.out)"
[ "$(head -c 4 win.png | tail -c 3)" = "PNG" ] || fail "dft.exe wrote no PNG"
size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' win.png)
[ "$size" = "640 400" ] || fail "dft.exe's picture is $size"
echo "dft.exe: $(tr '\n' ' ' < win.out)"
exit $failed
