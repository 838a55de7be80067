#!/usr/bin/env bash
# Runs a test program with a small disk of its own (a 4 MB tmpfs) named in
# MX_SMALL_DISK, so that a capture meets a really full disk. Where no such
# disk can be mounted, the program runs without it and its test skips.
# Usage: run-on-small-disk.sh PREFIX PROGRAM [ARGS...]
set -uo pipefail
prefix=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
disk=$(mktemp -d /tmp/mx-small-disk.XXXXXX)
if mount -t tmpfs -o size=4m tmpfs "$disk" 2>/dev/null; then
  export MX_SMALL_DISK=$disk
  mounted=1
else
  mounted=0
fi
"$here/../../scripts/wine-run.sh" "$prefix" "$@"
rc=$?
# The test program's own processes may still hold the disk for a moment.
if [ "$mounted" = 1 ]; then
  for _ in 1 2 3 4 5 6 7 8 9 10; do umount "$disk" 2>/dev/null && break; sleep 0.5; done
fi
rmdir "$disk" 2>/dev/null
exit $rc
