#!/usr/bin/env bash
# Runs the console tests (OwnConsole.*) of TEST_EXE under Xvfb in a Wine prefix of their
# own: Wine makes a working console only with a display, and a prefix whose desktop was
# started by a test without one (the other tests run at the same time) gives none.
# Usage: console_code_page.sh TEST_EXE PREFIX
set -euo pipefail
exe=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" BAROMON_CONSOLE_REQUIRED=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init
  wineserver --wait
fi
exec xvfb-run -a wine "$exe" --gtest_filter='OwnConsole.*'
