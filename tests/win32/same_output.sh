#!/usr/bin/env bash
# The Windows program and the Linux program give the same output and files on the same
# inputs: `decode` of a recorded session, `export` of a simulated log, `check` of a log
# with damage (its report, the repaired log, the backup and datalist.txt).
# Usage: same_output.sh BAROMON_EXE LINUX_BUILD WINEPREFIX TEST_DATA
set -euo pipefail
exe=$1
linux=$2/baromon
sim=$2/baromon-sim
export WINEPREFIX=$3 WINEDEBUG=-all
data=$4
if [ ! -x "$linux" ] || [ ! -x "$sim" ]; then
  echo "no Linux program in $2 (build the Linux tree first)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
same() { # NAME FILE_A FILE_B
  if cmp -s "$2" "$3"; then
    echo "same: $1"
  else
    echo "DIFFERENT: $1"
    diff <(od -c "$2" | head -n 20) <(od -c "$3" | head -n 20) || true
    failed=1
  fi
}

"$linux" decode "$data/squall-session.log" > "$work/decode.linux"
wine "$exe" decode < "$data/squall-session.log" > "$work/decode.windows"
same "decode" "$work/decode.linux" "$work/decode.windows"

mkdir "$work/linux" "$work/windows"
"$sim" --log 3 --out "$work/linux/monitor.txt" --seed 3 --fall 2 > /dev/null
cp "$work/linux/monitor.txt" "$work/windows/monitor.txt"
(cd "$work/linux" && "$linux" export) > "$work/export.linux"
(cd "$work/windows" && wine "$exe" export) > "$work/export.windows"
same "export" "$work/export.linux" "$work/export.windows"

for side in linux windows; do # damage: stray bytes between records, a torn tail
  f=$work/$side/monitor.txt
  { head -c 8000 "$f"; printf 'stray bytes\r\n'; tail -c +8001 "$f"; printf 'torn'; } > "$f.new"
  mv "$f.new" "$f"
done
status_linux=0
status_windows=0
(cd "$work/linux" && "$linux" check) > "$work/check.linux" 2>&1 || status_linux=$?
(cd "$work/windows" && wine "$exe" check) > "$work/check.windows" 2>&1 || status_windows=$?
same "check report" "$work/check.linux" "$work/check.windows"
if [ "$status_linux" -ne "$status_windows" ]; then
  echo "DIFFERENT: check exit status $status_linux on Linux, $status_windows on Windows"
  failed=1
fi
for file in monitor.txt monitor.bak datalist.txt; do
  same "check: $file" "$work/linux/$file" "$work/windows/$file"
done
exit $failed
