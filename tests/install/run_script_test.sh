#!/usr/bin/env bash
# scripts/run, stopped with SIGTERM or SIGHUP (a closed terminal, a service manager), ends
# the monitor it started along with the simulator: no monitor keeps running in the demo
# directory. The script is told to use the built programs as they are.
# Usage: run_script_test.sh BUILD_DIR
set -euo pipefail
build="$(realpath "$1")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The monitors whose current directory is $1, by process id.
monitors_in() {
  local pid
  for pid in $(pgrep -x baromon || true); do
    if [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$1" ]; then
      echo "$pid"
    fi
  done
}

# Up to $1 seconds until the command after it succeeds.
within() {
  local until=$((SECONDS + $1))
  shift
  while [ "$SECONDS" -lt "$until" ]; do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  "$@"
}
some_monitor_in() { [ -n "$(monitors_in "$1")" ]; }
no_monitor_in() { [ -z "$(monitors_in "$1")" ]; }

for signal in TERM HUP; do
  demo="$(realpath "$(mktemp -d)")"
  # A log already there, so the script does not seed one.
  "$build/baromon-sim" --log 1 --out "$demo/monitor.txt"
  BAROMON_RUN_NO_BUILD=1 BAROMON_BUILD_DIR="$build" BAROMON_DEMO_DIR="$demo" \
    "$root/scripts/run" --headless >"$demo.out" 2>&1 &
  script=$!
  if ! within 20 some_monitor_in "$demo"; then
    fail "SIG$signal: the monitor never started"
    cat "$demo.out"
    kill "$script" 2>/dev/null || true
  else
    kill -s "$signal" "$script"
    if ! within 10 no_monitor_in "$demo"; then
      fail "SIG$signal: a monitor stayed behind in the demo directory"
      for pid in $(monitors_in "$demo"); do kill "$pid"; done
    fi
  fi
  wait "$script" 2>/dev/null || true
  rm -rf "$demo" "$demo.out"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "run_script: 2 passed, 0 failed"
