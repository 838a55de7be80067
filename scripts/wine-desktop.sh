# Sourced by the scripts that run Windows programs one after another in a
# prefix: hold_desktop starts the prefix's server and its desktop on the
# display and keeps the desktop in use until file descriptor 3 is closed.
# The desktop process ends about a second after the last program using it,
# and a program arriving meanwhile joins a desktop that is closing (its
# windows fail, or it starts another desktop process). So one idle cmd.exe,
# reading from descriptor 3, keeps it in use; hold_desktop returns once that
# cmd.exe has run a first command, so the desktop is up and held.
hold_desktop() {
  wineserver -p 2>/dev/null
  local ready
  ready=$(mktemp -u /tmp/mx-desktop.XXXXXX)
  exec 3> >(exec wine cmd.exe >/dev/null 2>&1)
  echo "echo up>Z:${ready//\//\\}" >&3
  for _ in $(seq 1200); do [ -e "$ready" ] && break; sleep 0.1; done
  [ -e "$ready" ] || echo "the desktop did not start" >&2
  rm -f "$ready"
}
