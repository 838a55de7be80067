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
# after that test had ended. The desktop process ends about a second after
# the last program using it, and a program arriving meanwhile joins a desktop
# that is closing (its windows fail, or it starts another desktop process).
# So one idle cmd.exe, reading from a pipe this shell holds, starts the
# desktop and keeps it in use until ctest is done; ctest starts only once
# that cmd.exe has run a first command, so the desktop is up and held.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wineserver -p 2>/dev/null
  ready=$(mktemp -u /tmp/mx-desktop.XXXXXX)
  exec 3> >(exec wine cmd.exe >/dev/null 2>&1)
  echo "echo up>Z:${ready//\//\\}" >&3
  for i in $(seq 1200); do [ -e "$ready" ] && break; sleep 0.1; done
  [ -e "$ready" ] || echo "run-tests: the desktop did not start" >&2
  rm -f "$ready"
  ctest --test-dir "$0" --output-on-failure -j2 "$@" 3>&-' "$build" "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
