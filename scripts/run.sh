#!/usr/bin/env bash
# Opens the stand-in bar with the plug-in on the person's own display, in
# a Wine prefix of its own, capturing what is copied until the bar's
# window is closed.
# Usage: run.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
if [ -z "${DISPLAY:-}" ]; then
  echo "run: DISPLAY is not set, so there is no screen to show the bar on." >&2
  echo "run: start it from a desktop session (or ssh -X), or see the pictures of 'make demo'." >&2
  exit 1
fi
host=$build/host/dvlhost.exe
dll=$build/mirabex.dll
for file in "$host" "$dll"; do
  [ -f "$file" ] || { echo "run: $file is missing; build first" >&2; exit 1; }
done
# A prefix of its own: the tests' prefix has its history cleared by the tests,
# and its server may be on their hidden display.
prefix=$build/run-prefix
"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
wine regsvr32 /s "$dll"
# The prefix holds no other plug-in: the bar loads Mirabex.
echo "run: the Mirabex bar is open on $DISPLAY. Copy something in any program, then click the"
echo "run: button for the history; its context menu pauses capture and opens Properties."
echo "run: close the bar's window to stop. The history stays in the prefix for the next run."
wine "$host" show
