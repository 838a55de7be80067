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
# after that test had ended. The desktop process also ends once no program
# uses it, and the next test to use it would start it again: an idle cmd.exe,
# reading from a pipe this shell holds, keeps it in use until ctest is done.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wineserver -p && wine cmd /c exit </dev/null >/dev/null 2>&1
  exec 3> >(exec wine cmd.exe >/dev/null 2>&1)
  ctest --test-dir "$0" --output-on-failure -j2 "$@" 3>&-' "$build" "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
