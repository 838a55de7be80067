#!/usr/bin/env bash
# Runs a Windows program in the build tree's private Wine prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$(realpath -m "$1"); shift
"$(dirname "$0")/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
