#!/usr/bin/env bash
# The logger's programs load no toolkit: `baromon` (the headless monitor and the commands
# that draw nothing) and `baromon-sim` need no Qt library, directly or through another
# library, so the logger runs and installs on a machine without Qt. Nor does the picture
# program (`baromon-pictures`, built with the front end): pictures are quick because of it.
# The front end (`baromon-gui`) is the one that does.
# Usage: lean_logger_test.sh BUILD_DIR
set -euo pipefail
build="$1"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

programs=(baromon baromon-sim)
[ ! -x "$build/baromon-gui" ] || programs+=(baromon-pictures)
for program in "${programs[@]}"; do
  exe="$build/$program"
  [ -x "$exe" ] || { fail "$program is not built"; continue; }
  before=$failures
  direct="$(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')"
  [ -n "$direct" ] || fail "readelf finds no library $program needs (is it dynamic?)"
  qt="$(grep -i 'qt' <<<"$direct" || true)"
  [ -z "$qt" ] || fail "$program needs "$qt
  # Transitively too: every library the loader would bring in.
  loaded="$(ldd "$exe" | awk '{ print $1 }')"
  qt="$(grep -i 'qt' <<<"$loaded" || true)"
  [ -z "$qt" ] || fail "$program loads "$qt
  [ "$failures" -ne "$before" ] || echo "$program: $(wc -l <<<"$loaded") libraries, none of Qt"
done

# The network libraries are loaded by the logger's modules, only for --serve-http and --mqtt.
if [ -x "$build/baromon" ]; then
  loaded="$(ldd "$build/baromon" | awk '{ print $1 }')"
  network="$(grep -E 'microhttpd|mosquitto|gnutls|libssl|libcrypto|freetype|libpng' <<<"$loaded" || true)"
  [ -z "$network" ] || fail "baromon loads at its start "$network
fi
own_runtime=yes
grep -qE '^BAROMON_(SANITIZE|FUZZ):BOOL=ON|^BAROMON_STATIC_CXX_RUNTIME:BOOL=OFF' "$build/CMakeCache.txt" 2>/dev/null &&
  own_runtime=no
for module in baromon-web.so:libmicrohttpd baromon-mqtt.so:libmosquitto; do
  file="$build/${module%%:*}"
  [ -f "$file" ] || { fail "${module%%:*} is not built"; continue; }
  readelf -d "$file" | grep -q "NEEDED.*${module##*:}" || fail "${module%%:*} does not need ${module##*:}"
  # Nothing of C++ is shared with the logger: the module binds its own copy. Where both use
  # the shared C++ run-time (the sanitizers' builds), the standard library's inline code left
  # out of line in a debug build is the same in both and may stay visible; our own may not.
  exported="$(nm -D --defined-only "$file" | awk '{ print $3 }' | grep '^_Z' || true)"
  if [ "$own_runtime" = no ]; then
    exported="$(grep -vE '^_ZNK?St|^_ZSt|^_Zn[wa]|^_Zd[la]' <<<"$exported" || true)"
  fi
  [ -z "$exported" ] || fail "${module%%:*} exports "$exported
done

if [ -x "$build/baromon-gui" ]; then
  front="$(ldd "$build/baromon-gui")"
  grep -q 'libQt6Widgets' <<<"$front" || fail "baromon-gui does not load Qt's widgets"
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "the logger loads no Qt library"
