#!/usr/bin/env bash
# The unpacked package's window as a user drives it, under Xvfb with real
# mouse clicks and keys (xdotool): run by whoever runs scripts/package.sh,
# root in CI, with a home folder of its own. A file picked from the list, the
# A4 preset and a confirmed close must leave both settings files in the
# home's configuration folder and nothing new or changed under usr/; a
# second start, from another folder, must read them back.
#
#   scripts/unpacked-settings.sh UNPACKED-ROOT
#
# The clicks land where the window lays out its controls at its designed
# size (614 x 462 inside, the window centred, no window manager).
set -euo pipefail
if [ "${1:-}" != --inside-x ]; then
  fs=$(cd "$1" && pwd)
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "$fs"
fi
fs=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
home="$work/home"
config="$home/.config/folivant"
mkdir -p "$home" "$work/Relevés d'été" "$work/second"
mkdir -m 700 "$work/run"
for name in "janvier 1.ps" "février 2.ps" "mars 3.ps" "avril 4.ps" "mai 5.ps"; do
  printf '%%!PS\nshowpage\n' >"$work/Relevés d'été/$name"
  printf '%%!PS\nshowpage\n' >"$work/second/$name"
done
snapshot() { find "$fs/usr" -printf '%y %m %s %T@ %P\n' | sort; }
snapshot >"$work/before"

fail() {
  echo "unpacked-settings: $*" >&2
  ls -la "$config" >&2 2>/dev/null || true
  exit 1
}

# Waits for a file to hold `size` bytes, up to 10 s.
wait_for_size() {
  for _ in $(seq 100); do
    [ "$(stat -c %s "$1" 2>/dev/null || echo -1)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# One session: start in $1, pick the third file, press A4 when $2 is "a4",
# quit and confirm.
session() {
  (cd "$1" && exec env -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM HOME="$home" \
    XDG_RUNTIME_DIR="$work/run" "$fs/usr/bin/folivant") >"$work/window.log" 2>&1 &
  local pid=$! win X Y WIDTH HEIGHT SCREEN box
  win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quorvex Folivant 2\.0$' |
    head -n1) || fail "the window did not open"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The list fills in the background; then a double-click on its third row.
  sleep 1
  xdotool mousemove --sync $((X + 300)) $((Y + 147)) click --repeat 2 --delay 100 1
  wait_for_size "$config/folders.dat" "$3" ||
    fail "no folders.dat of $3 bytes after the pick ($(cat "$work/window.log"))"
  if [ "$2" = a4 ]; then
    xdotool mousemove --sync $((X + 410)) $((Y + 14)) click 1
    sleep 0.3
    xdotool mousemove --sync $((X + 287)) $((Y + 273)) click 1
    sleep 0.3
  fi
  xdotool mousemove --sync $((X + 555)) $((Y + 421)) click 1
  box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quitter le programme$' |
    head -n1) || fail "no closing question"
  xdotool windowfocus --sync "$box" key Return
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    fail "the window did not close after OK"
  fi
  wait "$pid" || fail "folivant ended with $? ($(cat "$work/window.log"))"
}

first="$work/Relevés d'été/"
printf '%s\r\n' "$first" >"$work/folders1"
printf '%s\r\n%s\r\n' "$work/second/" "$first" >"$work/folders2"
a4=0000000000406a400000000000907240
session "$work/Relevés d'été" a4 "$(stat -c %s "$work/folders1")"
[ "$(od -An -tx1 "$config/options.dat" | tr -d ' \n')" = $a4 ] ||
  fail "options.dat does not hold the A4 size"
cmp -s "$work/folders1" "$config/folders.dat" || fail "folders.dat: $(cat -A "$config/folders.dat")"

# The second start reads both: its pick puts a second folder above the
# first, and its close writes back the A4 size it read.
session "$work/second" keep "$(stat -c %s "$work/folders2")"
cmp -s "$work/folders2" "$config/folders.dat" ||
  fail "second folders.dat: $(cat -A "$config/folders.dat")"
[ "$(od -An -tx1 "$config/options.dat" | tr -d ' \n')" = $a4 ] ||
  fail "the second start did not read options.dat back"

snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the window wrote under the unpacked usr/"
echo "Unpacked folivant, run by $(id -un): a pick, A4 and a confirmed close keep both files" \
  "in \$HOME/.config/folivant/ and nothing under usr/; a second start reads them back" >&2
