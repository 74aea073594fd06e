#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop installation relies
# on: both programs run from there, the menu entry and its icon match, and the manual page
# documents every command and option the programs themselves offer.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in baromon baromon-sim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
[ "$("$prefix/bin/baromon" --version)" = "baromon $version" ] || fail "baromon --version is not $version"
# The installed logger finds the installed picture program and front end (libexec/baromon/
# beside bin/): a PNG from the one, an SVG from the other.
if [ -x "$build/baromon-gui" ]; then
  for program in baromon-gui baromon-pictures; do
    [ -x "$prefix/libexec/baromon/$program" ] || fail "libexec/baromon/$program is not installed"
  done
  mkdir "$prefix/work"
  "$prefix/bin/baromon-sim" --log 1 --out "$prefix/work/monitor.txt" >/dev/null
  (cd "$prefix/work" && QT_QPA_PLATFORM=offscreen "$prefix/bin/baromon" render day.png --size 300x200) ||
    fail "the installed baromon render failed"
  [ "$(head -c 4 "$prefix/work/day.png" | tail -c 3)" = "PNG" ] || fail "the installed baromon render wrote no PNG"
  (cd "$prefix/work" && QT_QPA_PLATFORM=offscreen "$prefix/bin/baromon" render day.svg --size 300x200) ||
    fail "the installed baromon render of an SVG failed"
  grep -q '<svg' "$prefix/work/day.svg" || fail "the installed baromon render wrote no SVG"
  # The spectrum program lies beside the front end, where the monitor's menu looks after
  # the current directory, and reads the log there.
  [ -x "$prefix/libexec/baromon/dft" ] || fail "libexec/baromon/dft is not installed"
  (cd "$prefix/work" && QT_QPA_PLATFORM=offscreen "$prefix/libexec/baromon/dft" --out spectrum.png >/dev/null) ||
    fail "the installed dft failed"
  [ "$(head -c 4 "$prefix/work/spectrum.png" | tail -c 3)" = "PNG" ] || fail "the installed dft wrote no PNG"
fi

desktop="$prefix/share/applications/baromon.desktop"
if [ -f "$desktop" ]; then
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the icon '$icon' of the menu entry is not installed"
  grep -q '^Exec=.*exec baromon"$' "$desktop" || fail "the menu entry does not start baromon"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the menu entry is not valid"
  fi
else
  fail "no menu entry"
fi

man="$prefix/share/man/man1/baromon.1.gz"
if [ -f "$man" ]; then
  page="$(gzip -dc "$man")"
  grep -q '@' <<<"$page" && fail "the manual page has an unfilled placeholder"
  grep -q "baromon $version" <<<"$page" || fail "the manual page is not of version $version"
  [ "$(readlink -f "$prefix/share/man/man1/baromon-sim.1.gz")" = "$(readlink -f "$man")" ] ||
    fail "baromon-sim.1 does not lead to the manual page"
  # Options and commands as the programs list them in their help texts.
  # In roff, a hyphen is written \- in the page.
  documented() { grep -q -- "$(sed 's/-/\\\\-/g' <<<"$1")" <<<"$page"; }
  for option in $("$prefix/bin/baromon" --help | grep -o -- '--[a-z-]*' | sort -u); do
    documented "$option" || fail "baromon $option is not in the manual page"
  done
  for command in $("$prefix/bin/baromon" --help | sed -n '/^Commands:/,$p' | awk '/^  [a-z]/ { print $1 }'); do
    grep -q "^\.BR\? $command\b" <<<"$page" || fail "the command $command is not in the manual page"
  done
  for option in $("$prefix/bin/baromon-sim" --help | grep -o -- '--[a-z-]*' | sort -u); do
    documented "$option" || fail "baromon-sim $option is not in the manual page"
  done
  for variable in $(grep -o 'BAROMON_COM[n1-8]' <<<"$("$prefix/bin/baromon" --help)" | sort -u); do
    grep -q 'BAROMON_COM' <<<"$page" || fail "$variable is not in the manual page"
  done
  if command -v man >/dev/null; then
    warnings="$(MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null || true)"
    [ -z "$warnings" ] || fail "the manual page does not format cleanly: $warnings"
  fi
else
  fail "no manual page"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the installation in $prefix"
  exit 1
fi
echo "installation complete and consistent"
