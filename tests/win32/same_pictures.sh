#!/usr/bin/env bash
# `render` and `diurnal` of the Windows program against the Linux program's on the same
# log: the same size and the curves at the same pixels (compare_pictures.py says what
# may differ: texts, and a wide pen's rounding); their SVG pictures carry the same texts
# (svg_texts.py). PDF is refused on Windows, and says so.
# Usage: same_pictures.sh BAROMON_EXE LINUX_BUILD WINEPREFIX
set -euo pipefail
exe=$1
linux=$2/baromon
sim=$2/baromon-sim
export WINEPREFIX=$3 WINEDEBUG=-all
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x "$linux" ] || [ ! -x "$sim" ]; then
  echo "no Linux program in $2 (build the Linux tree first)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Three days with falls (the red stretches of the pressure curve).
"$sim" --log 3 --out monitor.txt --seed 3 --fall 2 > /dev/null
failed=0
compare() { # NAME KIND LINUX_ARGS... -- (the same arguments for both programs)
  local name=$1 kind=$2
  shift 2
  wine "$exe" "$@" "win-$name.png" > /dev/null
  QT_QPA_PLATFORM=offscreen "$linux" "$@" "linux-$name.png" > /dev/null 2>&1
  python3 "$here/compare_pictures.py" "win-$name.png" "linux-$name.png" "$kind" || failed=1
}
compare barogram barogram render
compare paper paper render --paper
compare older barogram render --offset 400 --size 800x500
compare diurnal diurnal diurnal
compare diurnal-large diurnal diurnal --size 900x600

svg() { # NAME ARGS...
  local name=$1
  shift
  wine "$exe" "$@" "win-$name.svg" > /dev/null
  QT_QPA_PLATFORM=offscreen "$linux" "$@" "linux-$name.svg" > /dev/null 2>&1
  python3 "$here/svg_texts.py" "win-$name.svg" "linux-$name.svg" || failed=1
}
svg barogram render
svg paper render --paper
svg diurnal diurnal

status=0
wine "$exe" render picture.pdf 2> pdf.err || status=$?
if [ "$status" -ne 1 ] || [ -e picture.pdf ] || ! grep -q "no PDF" pdf.err; then
  echo "FAILED: render picture.pdf should be refused: exit $status, $(cat pdf.err)"
  failed=1
fi
exit $failed
