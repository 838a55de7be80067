#!/usr/bin/env bash
# Runs the test suite of a build tree under Wine on a private X display.
# Usage: run-tests.sh BUILD_DIR [ctest args...]
set -uo pipefail
build=$(realpath "$1"); shift
prefix=$build/wineprefix
"$(dirname "$0")/wine-prefix.sh" "$prefix"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j2 "$@"
rc=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null
exit $rc
