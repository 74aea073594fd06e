#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the systemd unit of the headless
# logger with systemd-analyze: it must verify cleanly, run `baromon --headless` in its
# state directory with the dialout group, restart on failure, take the port from its
# environment file, and stay disabled (no [Install] target is enabled by installing).
# Exits 77 (skipped) where systemd-analyze is missing.
# Usage: service_test.sh BUILD_DIR
set -euo pipefail
build="$1"
command -v systemd-analyze >/dev/null || { echo "systemd-analyze is missing: skipped"; exit 77; }
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null
unit="$prefix/lib/systemd/system/baromon.service"
example="$prefix/share/doc/baromon/baromon.default"
[ -f "$unit" ] || { echo "FAIL: lib/systemd/system/baromon.service is not installed"; exit 1; }
[ -f "$example" ] || fail "the environment file example share/doc/baromon/baromon.default is not installed"

grep -q '^ExecStart=[^ ]*/baromon --headless\b' "$unit" || fail "the unit does not run baromon --headless"
grep -q '^StateDirectory=baromon$' "$unit" || fail "no StateDirectory=baromon"
grep -q '^WorkingDirectory=%S/baromon$' "$unit" || fail "the logger does not run in its state directory"
grep -q '^SupplementaryGroups=dialout$' "$unit" || fail "no serial access through dialout"
grep -q '^Restart=on-failure$' "$unit" || fail "no Restart=on-failure"
grep -q '^EnvironmentFile=/etc/default/baromon$' "$unit" || fail "the port does not come from /etc/default/baromon"
grep -q '^BAROMON_COM2=/dev/serial/by-id/' "$example" || fail "the example does not name a /dev/serial/by-id port"

# The unit must start the program where this installation put it, not where the build
# was configured to go: a package built with another prefix would start nothing.
grep -q "^ExecStart=$prefix/bin/baromon --headless" "$unit" ||
  fail "the unit does not start the installed $prefix/bin/baromon: $(grep '^ExecStart=' "$unit")"
grep -q "cp $prefix/share/doc/baromon/baromon.default " "$unit" ||
  fail "the unit's comment does not name the installed example"
if ! out="$(systemd-analyze verify --man=no "$unit" 2>&1)"; then
  fail "systemd-analyze verify: $out"
elif grep -q 'baromon.service' <<<"$out"; then
  fail "systemd-analyze verify warns: $out"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the service unit"
  exit 1
fi
echo "service unit verified"
