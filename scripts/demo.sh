#!/usr/bin/env bash
# Runs the plug-in in the stand-in bar (dvlhost.exe) and leaves what it shows
# in out/: the report of "info", the button icon as drawn by the plug-in (and
# from an explicit icon location), the menu as the bar builds it, and a
# screenshot of the bar on screen.
# Usage: demo.sh BUILD_DIR   (it calls itself with --in-display under xvfb-run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
prefix=$build/wineprefix
out=$root/out
host=$build/host/dvlhost.exe
dll=$build/mirabex.dll
for file in "$host" "$dll"; do
  [ -f "$file" ] || { echo "demo: $file is missing; build first" >&2; exit 1; }
done
"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
mkdir -p "$out"
# A wineserver left from a session without a display would keep the bar off screen.
wineserver -k 2>/dev/null || true

session() {
  set -euo pipefail
  wine regsvr32 "$dll"
  # The plug-in's key is the one whose name is Mirabex.
  clsid=$(wine reg query 'HKLM\Software\Ombrisk\Dravelle\plugins' /s 2>/dev/null | tr -d '\r' |
          awk '/^HKEY/ { key = $0 } /\(Default\).*REG_SZ.*Mirabex$/ { print key }' |
          grep -o '{[0-9A-Fa-f-]*}' | head -1)
  [ -n "$clsid" ] || { echo "demo: Mirabex is not registered" >&2; return 1; }
  cd "$root"
  echo "== dvlhost.exe info"
  wine "$host" info --clsid "$clsid" | tee out/info.txt
  echo "== dvlhost.exe icon --png out/icon.png"
  wine "$host" icon --clsid "$clsid" --png out/icon.png
  # An icon location relative to the bar's folder, as a user could set it (not saved).
  echo "== dvlhost.exe icon --icon ..\\mirabex.dll,-117 --icon-size 48 --png out/icon-117.png"
  wine "$host" icon --clsid "$clsid" --no-save --icon '..\mirabex.dll,-117' --icon-size 48 \
    --png out/icon-117.png
  echo "== dvlhost.exe menu"
  wine "$host" menu --clsid "$clsid" | tee out/menu.txt
  echo "== dvlhost.exe show --screenshot out/bar.png"
  wine "$host" show --clsid "$clsid" --seconds 2 --screenshot out/bar.png
  wineserver -w
}
if [ "${2:-}" = --in-display ]; then
  session
  exit
fi
# xvfb-run goes through sh, which drops exported functions: run this script again inside.
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" --in-display
echo "== out/"
ls -l "$out"
