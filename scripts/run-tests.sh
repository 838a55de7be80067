#!/usr/bin/env bash
# Runs the test suite of a build tree under Wine on a private X display.
# Usage: run-tests.sh BUILD_DIR [ctest args...]
set -uo pipefail
build=$(realpath "$1"); shift
prefix=$build/wineprefix
"$(dirname "$0")/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
# The server and the prefix's own programs (services, the desktop window) are
# started here, on the display, before the first test: a test that started
# them would hand them its output pipe, and ctest would wait for them long
# after that test had ended. ctest starts once the desktop is up and held.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . "$1"
  hold_desktop
  build=$0
  shift
  ctest --test-dir "$build" --output-on-failure -j2 "$@" 3>&-' "$build" "$(cd "$(dirname "$0")" && pwd)/wine-desktop.sh" "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
