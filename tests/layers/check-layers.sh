#!/usr/bin/env bash
# Fails when a folder includes, or its CMake targets link, something of a
# layer above it. Usage: check-layers.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 2

# What each folder may use, itself included; the order is the layers' order.
declare -A may=(
  [base]="base"
  [image]="base image"
  [draw]="base draw"
  [clipdata]="base image draw zab clipdata"
  [watcher]="base image draw zab clipdata watcher"
  [zab]="base zab"
  [ui]="base image draw clipdata watcher zab ui"
  [plugin]="base image draw clipdata watcher zab ui resources plugin"
  [resources]="resources"
  [host/bar]="base host/bar"
  [host/automation]="base host/bar host/automation"
  [host/commands]="base host/bar host/automation host/commands"
  [tests/support]="base tests/support"
)
# Single headers a folder may use from a layer it may not use otherwise: the
# stand-in bar knows the plug-in only through the bar's contract.
declare -A may_headers=(
  [host/bar]="ui/IDvlButton.h ui/IDvlHost.h"
  [host/automation]="ui/IDvlButton.h ui/IDvlHost.h"
  [host/commands]="ui/IDvlButton.h ui/IDvlHost.h"
)
# The folder each of our CMake targets is built from.
declare -A home=(
  [mx_base]=base [mx_image]=image [mx_draw]=draw [mx_md5]=clipdata [mx_clipdata]=clipdata
  [mx_watcher]=watcher [mx_zab]=zab [mx_ui]=ui [mx_server]=plugin [mx_resources]=resources
  [mx_host_bar]=host/bar [mx_host_automation]=host/automation [mx_testsupport]=tests/support
)

bad=0
allowed() { [[ " ${may[$1]} " == *" $2 "* ]]; }
allowed_header() { [[ " ${may_headers[$1]:-} " == *" $2 "* ]]; }
# The layer of an included path: tests/support, a room of host/, or its
# first folder.
layer_of() {
  case $1 in
  tests/support/* | host/*/*) echo "${1%/*}" ;;
  *) echo "${1%%/*}" ;;
  esac
}
for folder in "${!may[@]}"; do
  while IFS=: read -r file _ path; do
    used=$(layer_of "$path")
    if ! allowed "$folder" "$used" && ! allowed_header "$folder" "$path"; then
      echo "$file includes $path, from $used/, a layer $folder/ may not use"
      bad=1
    fi
  done < <(grep -rHoE '^#include "[a-z]+/[^"]+' --include='*.h' --include='*.cpp' --include='*.rc' "$folder" |
           sed -E 's|^([^:]*):#include "|\1::|')
  [ -f "$folder/CMakeLists.txt" ] || continue
  for target in $(grep -oE '\bmx_[a-z0-9_]+' "$folder/CMakeLists.txt" | sort -u); do
    used=${home[$target]:-}
    if [ -z "$used" ]; then
      echo "$folder/CMakeLists.txt names $target, which no layer builds"
      bad=1
    elif ! allowed "$folder" "$used"; then
      echo "$folder/CMakeLists.txt links $target from $used/, a layer $folder/ may not use"
      bad=1
    fi
  done
done
[ "$bad" = 0 ] && echo "layers: no folder uses one above it"
exit "$bad"
