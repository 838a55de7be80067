#!/usr/bin/env bash
# Runs the setup's tests in a Wine prefix of their own, a fresh copy of a
# clean one kept beside it: what the setup writes and removes (class keys,
# the bar's keys, Program Files) touches no other test's prefix.
# Usage: run-installer-test.sh BUILD_DIR TEST_PROGRAM [gtest args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
program=$2
shift 2
clean=$build/tests/installer/clean-prefix
prefix=$build/tests/installer/wineprefix
"$here/../../scripts/wine-prefix.sh" "$clean"
rm -rf "$prefix"
cp -a "$clean" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
# Everything of this prefix ends with the test, so that ctest waits for nothing.
trap 'exec 3>&-; wineserver -k 2>/dev/null || true' EXIT
. "$here/../../scripts/wine-desktop.sh"
hold_desktop
wine "$program" --gtest_brief=1 "$@" 3>&-
