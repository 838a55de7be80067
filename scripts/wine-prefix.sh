#!/usr/bin/env bash
# Creates the private Wine prefix that runs the tests and the demo.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "$1")
version=3
[ "$(cat "$prefix/.ready" 2>/dev/null)" = "$version" ] && exit 0
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
wineboot -i >/dev/null 2>&1
# Without a window manager, destroying a managed top-level window waits 2 s.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A crashing test must fail, not wait for the debugger to be closed.
wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
# Wine does not find the caption-button font in its own font folder here, so
# title bars drew the letter "r" where the close box belongs.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && cp "$marlett" "$prefix/drive_c/windows/Fonts/"
wineserver -w
echo "$version" > "$prefix/.ready"
