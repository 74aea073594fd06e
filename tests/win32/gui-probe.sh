# Sourced by the Wine tests of the monitor's windows.
# probe_monitor COMn MODE PICTURE WHAT: starts $exe (the monitor, in $work, output in
# $work/out) with COMn as its port 2, its pid in $monitor for the caller's cleanup; runs
# $probe in MODE against its windows, saving PICTURE; waits for the monitor to end (the probe
# closes it). Fails when the probe did not see WHAT or the monitor ended with other than 0.
probe_monitor() {
  (cd "$work" && exec wine "$exe" --port 2="$1" > "$work/out" 2>&1) &
  monitor=$!
  local status=0 code=0
  wine "$probe" "$2" "$(winepath -w "$3")" || status=$?
  # A probe that failed did not close the windows: the monitor is ended instead.
  [ "$status" -eq 0 ] || kill "$monitor" 2>/dev/null || true
  wait "$monitor" || code=$?
  monitor=
  cat "$work/out"
  [ "$status" -eq 0 ] || { echo "$4 was not seen"; exit 1; }
  [ "$code" -eq 0 ] || { echo "the monitor ended with $code"; exit 1; }
}
