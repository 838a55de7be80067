#!/usr/bin/env bash
# Runs the plug-in in the stand-in bar (dvlhost.exe) and leaves what it shows
# in out/: the report of "info", the button icon as drawn by the plug-in (and
# from an explicit icon location), the clipboard history that the button
# captured while another program (otherapp.exe) copied text, HTML, RTF, a file
# list and a picture, listed before and after the button was restarted, the
# menu as the bar builds it, the history menu in pictures (drawn as the bar
# draws it, open on screen with a tooltip, the context menus, and in German),
# a screenshot of the bar on screen, and pictures of two test documents run as
# dialogs by the dialog engine (its layout, and every family of controls).
# Usage: demo.sh BUILD_DIR   (it calls itself with --in-display under xvfb-run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
prefix=$build/wineprefix
out=$root/out
host=$build/host/dvlhost.exe
otherapp=$build/tests/support/otherapp.exe
dll=$build/mirabex.dll
for file in "$host" "$otherapp" "$dll"; do
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
  capture
  echo "== dvlhost.exe menu"
  wine "$host" menu --clsid "$clsid" | tee out/menu.txt
  pictures
  dialogs
  echo "== dvlhost.exe show --screenshot out/bar.png"
  wine "$host" show --clsid "$clsid" --seconds 2 --screenshot out/bar.png
  echo "== zabshow.exe tests/zab/demo.xml out/zab-dialog.png"
  wine "$build/tests/zab/zabshow.exe" "$(winepath -w tests/zab/demo.xml)" out/zab-dialog.png
  echo "== zabshow.exe tests/zab/controls.xml out/zab-controls.png"
  wine "$build/tests/zab/zabshow.exe" "$(winepath -w tests/zab/controls.xml)" out/zab-controls.png
  wineserver -w
}
# The bar runs with capture on while otherapp.exe, another program, copies five
# kinds of content; the bar then lists the history, swaps the last two
# entries, restarts the button from its saved settings and lists it again.
capture() {
  set -euo pipefail
  local appdata
  appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
  # A history of an earlier demo would mix into this one.
  rm -rf "$appdata/Orbelan/Dravelle/Mirabex" "$appdata/Dravelle/$clsid.settings"
  echo "== dvlhost.exe script (capture while otherapp.exe copies, then restart)"
  wine "$host" script --clsid "$clsid" "context" "wait-items 5 60" "echo -- before the restart" "menu" \
    "swap" "clipboard" "restart" "echo -- after the restart" "menu" "context" "counters" \
    > out/history.txt 2>&1 &
  local bar=$!
  # Time for the bar to load the button and the watcher to join the viewer chain.
  sleep 3
  local files
  files="$(winepath -w "$dll")|$(winepath -w "$root/README.md")"
  # Each copy is left a moment so that the watcher captures it before the next.
  wine "$otherapp" "text:Hello from another program" sleep:500
  wine "$otherapp" "texthtml:<p>Some <b>bold</b> HTML</p>" sleep:500
  wine "$otherapp" "rtf:Some {\\b bold} RTF" sleep:500
  wine "$otherapp" "files:$files" sleep:500
  wine "$otherapp" "dib:64 48 1" sleep:500
  wait "$bar" || { cat out/history.txt; echo "demo: the bar's script failed" >&2; return 1; }
  cat out/history.txt
}
# The history menu as a person sees it: the entries drawn by the plug-in
# (the file list chosen, so current again, and the first entry locked), a tooltip, the menu open on screen with the tip
# beside an entry, the context menus of an entry and of the button, and the
# same menu and tip with the German language document.
pictures() {
  set -euo pipefail
  rm -f out/menu*.png out/tip*.png out/context*.png
  echo "== dvlhost.exe script (the history menu in pictures)"
  wine "$host" script --clsid "$clsid" "choose 4" "run 1" "lock 1" "entries" "render-menu out/menu.png 2" \
    "render-tip 1 out/tip.png" "render-tip 5 out/tip-picture.png" "shot-menu out/menu-screen.png 3" \
    "shot-context 3 out/context-entry.png" "shot-context 0 out/context-button.png" \
    2>&1 | tee out/pictures.txt
  echo "== dvlhost.exe script --lang 1031 (German)"
  # Which entry is current is not kept across runs: the file list is chosen again.
  wine "$host" script --clsid "$clsid" --lang 1031 "choose 4" "run 1" "render-menu out/menu-de.png" \
    "render-tip 2 out/tip-de.png" "shot-context 2 out/context-entry-de.png" 2>&1 | tee -a out/pictures.txt
}
# The two dialogs on screen, played as a person: the properties dialog on
# both its tabs, the save dialog for the picture entry before and after JPEG
# is chosen, the picture and the first text saved through it, and the same
# dialogs with the German language document; the history window as it
# opens, then with "bold" typed, and in German.
dialogs() {
  set -euo pipefail
  rm -f out/properties*.png out/save*.png out/saved-* out/history-window*.png
  local saved
  saved=$(winepath -w "$out")
  echo "== dvlhost.exe script (the dialogs)"
  wine "$host" script --clsid "$clsid" --no-save \
    "properties shot=out/properties.png tab=2 shot=out/properties-about.png cancel" \
    "save 5 shot=out/save.png format=2 shot=out/save-jpeg.png name=$saved\\saved-picture.jpg ok" \
    "save 1 format=2 name=$saved\\saved-text.txt ok" \
    "search shot=out/history-window.png name=bold shot=out/history-window-filtered.png cancel" \
    2>&1 | tee out/dialogs.txt
  echo "== dvlhost.exe script --lang 1031 (the dialogs in German)"
  wine "$host" script --clsid "$clsid" --no-save --lang 1031 \
    "properties shot=out/properties-de.png tab=2 shot=out/properties-about-de.png cancel" \
    "save 5 shot=out/save-de.png cancel" "search shot=out/history-window-de.png cancel" \
    2>&1 | tee -a out/dialogs.txt
  ls -l out/saved-picture.jpg out/saved-text.txt
}
if [ "${2:-}" = --in-display ]; then
  session
  exit
fi
# xvfb-run goes through sh, which drops exported functions: run this script again inside.
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" --in-display
echo "== out/"
ls -l "$out"
