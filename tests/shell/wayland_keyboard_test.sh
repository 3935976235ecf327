#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program under a headless sway, used by the keyboard alone: Tab, Tab, Return in the
# menu opens a screen and Escape closes it again, each seen as a change of the screenshot.
# Usage: wayland_keyboard_test.sh BIN_FOLDER   (exit 77: skipped, with the reason)
set -u
keep=${ZENTROFAST_KEEP_SHOTS:-0}  # 1: keep the screenshots
bin=${1:?the folder holding zentrofast}
skip() {
  echo "SKIP: $*"
  exit 77
}
for tool in sway wtype grim; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
done
[ -x "$bin/zentrofast" ] || skip "no program at $bin/zentrofast"

work=$(mktemp -d /tmp/zentrofast-wayland-XXXXXX)
chmod 755 "$work"
mkdir -p "$work/run" "$work/home" "$work/shots"
# sway refuses to run as root: as root, everything runs as nobody.
as_user=()
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv is missing, no user to switch to"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all --)
  chown nobody:nogroup "$work/run" "$work/home" "$work/shots" || skip "cannot hand the test folders to nobody"
  "${as_user[@]}" test -x "$bin/zentrofast" || skip "user nobody cannot switch in or cannot reach $bin"
fi
chmod 700 "$work/run"

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  if [ "${keep:-0}" = 1 ]; then echo "screenshots kept in $work/shots"; else rm -rf "$work"; fi
}
trap cleanup EXIT

session=(env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8)
cat >"$work/sway.conf" <<'EOF'
output HEADLESS-1 resolution 1024x768
default_border none
EOF
"${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  socket=$(find "$work/run" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -printf '%f\n' 2>/dev/null | head -1)
  [ -n "$socket" ] && break
  sleep 0.1
done
[ -n "${socket:-}" ] || {
  cat "$work/sway.log"
  skip "sway did not start here (no headless output)"
}
wl=("${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$socket")

# A desktop always has a keyboard; wtype alone adds one per call, and the seat announces it to
# the program only after the first key went out. One idle wtype keeps a keyboard on the seat.
"${wl[@]}" wtype -s 3600000 &
pids+=($!)
sleep 0.5

"${wl[@]}" QT_QPA_PLATFORM=wayland ZENTROFAST_STARTUP_PROBE=1 ZENTROFAST_REGISTRY="$work/home/registry.sqlite3" \
  XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
  "$bin/zentrofast" >"$work/program.out" 2>"$work/program.err" &
pids+=($!)
for _ in $(seq 300); do
  grep -qx shown "$work/program.out" && break
  sleep 0.1
done
grep -qx shown "$work/program.out" || {
  cat "$work/program.out" "$work/program.err"
  echo "FAIL: the program never showed its window under sway"
  exit 1
}

shot() { "${wl[@]}" grim "$work/shots/$1.png" && cat "$work/shots/$1.png" | md5sum; }
# The menu at rest: two equal shots in a row.
settled() {
  local name=$1 last now
  last=$(shot "$name")
  for _ in $(seq 20); do
    sleep 0.3
    now=$(shot "$name")
    [ "$now" = "$last" ] && {
      echo "$now"
      return 0
    }
    last=$now
  done
  echo "$last"
}
keys() { "${wl[@]}" wtype "$@"; }

home=$(settled home)
keys -k Tab -k Tab -k Return
screen=$(settled screen)
keys -k Escape
back=$(settled back)

status=0
if [ "$screen" = "$home" ]; then
  echo "FAIL: Tab, Tab, Return changed nothing on the screen"
  status=1
fi
if [ "$back" = "$screen" ]; then
  echo "FAIL: Escape did not close the screen"
  status=1
fi
[ $status = 0 ] && echo "PASS: the keyboard reaches the menu and the screens under Wayland" || keep=1
exit $status
