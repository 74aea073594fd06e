#!/usr/bin/env bash
# The Windows packages of the build tree: the zip holds baromon.exe (the one built, its
# imports only system DLLs), README.txt (the Windows user's README, CR LF) and the icon;
# the installer, run silently in the Wine prefix, installs them, makes the Start-menu
# shortcut that starts baromon in Documents\baromon (the folder made), and its
# uninstaller takes the program away again and leaves that folder.
# Usage: packages.sh BUILD_DIR VERSION SOURCE_DIR
set -uo pipefail
build=$1
version=$2
src=$3
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
name=baromon-$version-win64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# The zip.
unzip -q "$build/$name.zip" -d "$work" || fail "cannot unpack $name.zip"
listed=$(cd "$work" && find . -type f | sort | tr '\n' ' ')
[ "$listed" = "./$name/README.txt ./$name/baromon.exe ./$name/baromon.ico ./$name/dft.exe " ] || fail "zip holds: $listed"
cmp -s "$work/$name/baromon.exe" "$build/baromon.exe" || fail "the zip's baromon.exe is not the one built"
cmp -s "$work/$name/dft.exe" "$build/dft.exe" || fail "the zip's dft.exe is not the one built"
cmp -s "$work/$name/baromon.ico" "$src/data/baromon.ico" || fail "the zip's icon is not data/baromon.ico"
readme=$work/$name/README.txt
if grep -q $'[^\r]$\|^$' "$readme"; then
  fail "README.txt has a line without CR LF"
fi
cmp -s "$readme" "$src/data/windows/README.txt" || fail "README.txt is not data/windows/README.txt"
"$src/scripts/check-windows-imports" "$work/$name/baromon.exe" || fail "baromon.exe imports more than system DLLs"

# The installer, silently, into the prefix.
setup=$build/$name-setup.exe
if [ ! -f "$setup" ]; then
  echo "no installer (no makensis): the zip only"
  exit $failed
fi
users=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData | head -n 1)
users=${users%/AppData}
if [ -L "$users/Documents" ]; then
  fail "the prefix's Documents leads out of it (run scripts/build-windows)"
  exit 1
fi
installed=$users/AppData/Local/Programs/baromon
link="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/baromon.lnk"
documents=$users/Documents/baromon
rm -rf "$installed" "$documents" "$link" "$users/Desktop/baromon.lnk"
wine "$setup" /S || fail "the installer ended with $?"
for file in baromon.exe dft.exe README.txt baromon.ico uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
cmp -s "$installed/baromon.exe" "$build/baromon.exe" || fail "the installed baromon.exe is not the one built"
cmp -s "$installed/README.txt" "$src/data/windows/README.txt" || fail "the installed README.txt is not the user's README"
[ -d "$documents" ] || fail "no folder Documents\\baromon"
if [ -f "$link" ]; then
  mapfile -t shortcut < <(python3 "$(dirname "$0")/read_shortcut.py" "$link")
  echo "shortcut: ${shortcut[0]} in ${shortcut[1]}"
  [[ ${shortcut[0],,} == *'\appdata\local\programs\baromon\baromon.exe' ]] || fail "shortcut target ${shortcut[0]}"
  [[ ${shortcut[1],,} == *'\documents\baromon' ]] || fail "shortcut starts in ${shortcut[1]}"
else
  fail "no Start-menu shortcut"
fi
desktop_link=$users/Desktop/baromon.lnk
if [ -f "$desktop_link" ]; then
  mapfile -t shortcut < <(python3 "$(dirname "$0")/read_shortcut.py" "$desktop_link")
  [[ ${shortcut[0],,} == *'\appdata\local\programs\baromon\baromon.exe' ]] || fail "desktop shortcut target ${shortcut[0]}"
  [[ ${shortcut[1],,} == *'\documents\baromon' ]] || fail "desktop shortcut starts in ${shortcut[1]}"
else
  fail "no desktop shortcut (chosen by default)"
fi
# The entry in the list of programs, read back from the registry.
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\baromon'
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
for value in "DisplayName REG_SZ baromon" "DisplayVersion REG_SZ $version" "Publisher REG_SZ baromon project"; do
  grep -qE "^ +${value// /  *}\$" <<< "$entry" || fail "the uninstall entry lacks \"$value\": $entry"
done
grep -qiE '^ +DisplayIcon +REG_SZ +.*\\programs\\baromon\\baromon\.ico$' <<< "$entry" ||
  fail "the uninstall entry has no icon: $entry"
echo made > "$documents/monitor.txt" # a file of the user's, which the uninstaller must keep
wine "$installed/uninstall.exe" /S "_?=C:\\users\\$(basename "$users")\\AppData\\Local\\Programs\\baromon" ||
  fail "the uninstaller ended with $?"
rm -f "$installed/uninstall.exe" # run in place (_?=), it cannot delete itself
[ ! -e "$installed" ] || rmdir "$installed" 2>/dev/null || fail "left after uninstalling: $(ls "$installed")"
[ ! -e "$link" ] || fail "the shortcut is left after uninstalling"
[ ! -e "$desktop_link" ] || fail "the desktop shortcut is left after uninstalling"
wine reg query "$key" > /dev/null 2>&1 && fail "the uninstall entry is left after uninstalling"
[ -f "$documents/monitor.txt" ] || fail "the uninstaller removed the user's files"
rm -rf "$documents"
[ $failed -eq 0 ] && echo "zip and installer as they should be"
exit $failed
