#!/usr/bin/env bash
# The Windows packages carry the Windows user's README: data/windows/README.txt, byte for
# byte, with CR LF at the end of every line (and git keeps those line ends).
# Usage: windows_readme_test.sh SOURCE_DIR
set -euo pipefail
src=$1
readme=$src/data/windows/README.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}

[ -s "$readme" ] || fail "no $readme"
if LC_ALL=C grep -q $'[^\r]$\|^$' "$readme"; then
  fail "README.txt has a line without CR LF"
fi
[ "$(tail -c 2 "$readme" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "README.txt does not end with CR LF"
if command -v git > /dev/null && git -C "$src" rev-parse > /dev/null 2>&1; then
  [ "$(git -C "$src" check-attr text -- data/windows/README.txt | sed 's/.*: //')" = unset ] ||
    fail "git may convert the line ends of data/windows/README.txt (.gitattributes: -text)"
fi
# What a Windows user needs from it.
for needed in COM 4800 monitor.txt Documents 'Command line' Uninstall dft.exe; do
  grep -q "$needed" "$readme" || fail "README.txt says nothing of $needed"
done

# The zip (and the installer, where makensis is) as scripts/package-windows packs them,
# around stand-ins for baromon.exe and dft.exe.
printf 'MZ' > "$work/baromon.exe"
printf 'MZ' > "$work/dft.exe"
mkdir "$work/out"
"$src/scripts/package-windows" "$work/baromon.exe" 9.9.9 "$work/out" "$work/dft.exe" > "$work/log" 2>&1 ||
  fail "packing failed: $(cat "$work/log")"
(cd "$work" && unzip -q out/baromon-9.9.9-win64.zip)
cmp -s "$work/baromon-9.9.9-win64/README.txt" "$readme" || fail "the zip's README.txt is not data/windows/README.txt"
echo "the packages carry the Windows user's README with CR LF"
