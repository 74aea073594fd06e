# Sourced by the Wine tests that read the Linux simulator through a COM port.
# simulator_as_com SIMULATOR COUNT COMn: starts `SIMULATOR --pty --count COUNT` (its pid in
# $simpid, for the caller's cleanup) and links its pseudo-terminal as COMn of $WINEPREFIX.
# Needs $work, a scratch directory.
simulator_as_com() {
  "$1" --pty --count "$2" > "$work/sim.out" 2>&1 &
  simpid=$!
  local pty=
  for _ in $(seq 100); do # the simulator prints its terminal's path first
    pty=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
    [ -n "$pty" ] && break
    sleep 0.1
  done
  [ -n "$pty" ] || { echo "the simulator gave no terminal"; exit 1; }
  mkdir -p "$WINEPREFIX/dosdevices"
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/$(tr '[:upper:]' '[:lower:]' <<< "$3")"
}
