#!/usr/bin/env bash
# Runs every benchmark program of a build tree under Wine on a private X
# display and prints their figures. Usage: run-bench.sh BUILD_DIR
set -uo pipefail
build=$(realpath "$1")
prefix=$build/wineprefix
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$prefix"
rc=0
for program in "$build"/bench/*.exe; do
  [ -e "$program" ] || continue
  echo "== $(basename "$program" .exe)"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$here/wine-run.sh" "$prefix" "$program" || rc=1
  echo
done
WINEPREFIX=$prefix wineserver -k 2>/dev/null
exit $rc
