#!/usr/bin/env bash
# Runs the test suite of a build tree under Wine on a private X display.
# Usage: run-tests.sh [--heap-check] BUILD_DIR [ctest args...]
# --heap-check runs every program under Wine's heap checking (it checks the
# heap on each allocation and free and warns of what it finds); the tests'
# output is kept in BUILD_DIR/heap-check.log (the run prints ctest's summary),
# and a heap warning in it fails the run as a failing test does. Its time
# limits are ten times the usual ones: the check of the whole heap on each
# allocation makes a test that reads a large document take minutes.
set -uo pipefail
heap_check=
if [ "${1:-}" = --heap-check ]; then heap_check=1; shift; fi
build=$(realpath "$1"); shift
prefix=$build/wineprefix
"$(dirname "$0")/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
if [ -n "$heap_check" ]; then
  export WINEDEBUG=-all,warn+heap MX_TIMEOUT_SCALE=10
  set -- --verbose "$@"
fi
# The server and the prefix's own programs (services, the desktop window) are
# started here, on the display, before the first test: a test that started
# them would hand them its output pipe, and ctest would wait for them long
# after that test had ended. ctest starts once the desktop is up and held.
run_suite() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    . "$1"
    hold_desktop
    build=$0
    shift
    ctest --test-dir "$build" --output-on-failure -j2 "$@" 3>&-' "$build" "$(cd "$(dirname "$0")" && pwd)/wine-desktop.sh" "$@"
}
if [ -n "$heap_check" ]; then
  # Into a file, not a pipe: the prefix's server outlives the run and
  # would hold a pipe open.
  run_suite "$@" > "$build/heap-check.log" 2>&1
  rc=$?
  grep -a -E '^ *[0-9]+/[0-9]+ Test +#|tests passed|tests failed|^Total Test time' "$build/heap-check.log"
else
  run_suite "$@"
  rc=$?
fi
wineserver -k 2>/dev/null
if [ -n "$heap_check" ]; then
  if grep -a -E '(err|warn):heap' "$build/heap-check.log" > "$build/heap-check.found"; then
    echo "run-tests: the heap check warned (see $build/heap-check.found):" >&2
    sort "$build/heap-check.found" | uniq -c | sort -rn | head -20 >&2
    [ $rc -eq 0 ] && rc=1
  else
    echo "run-tests: the heap check found nothing"
  fi
fi
exit $rc
