#!/usr/bin/env bash
# The real program on a real X desktop: Xvfb with trayer as the tray host, the keyboard emulator,
# and real X input from xdotool. The tray icon is there, a double-click on it shows the window, a
# click on the third profile button makes the keyboard's active profile 2, the profiles button opens
# the profile dialog and Escape closes it, the icon comes back when the tray host restarts, and Exit
# from the tray menu ends the program with exit code 0. Pictures of each step go to the folder given third.
#   tray_and_window_test.sh BIN-FOLDER SCREENSHOT-TOOL [PICTURE-FOLDER]
set -euo pipefail

bin=$1
shot=$2
pictures=${3:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  [ -f "$work/tavrin.log" ] && sed 's/^/  tavrin: /' "$work/tavrin.log" >&2
  exit 1
}

# Waits up to about five seconds for a command to succeed.
wait_for() {
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# picture NAME [WINDOW-ID | X,Y,WIDTH,HEIGHT]
picture() {
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  "$shot" "$pictures/$1.png" ${2:+"$2"} 2>/dev/null || echo "no picture $1" >&2
}

# A display of our own: Xvfb picks a free number and tells it.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb

start_trayer() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true --transparent false \
    --tint 0x202020 >>"$work/trayer.log" 2>&1 &
  trayer=$!
  pids+=($trayer)
  wait_for xdotool search --classname trayer || fail "trayer did not start"
}
start_trayer

"$bin/tolvex-emu" --socket "$work/emu.sock" --state "$work/state.json" >"$work/emu.log" 2>&1 &
pids+=($!)
wait_for "$bin/tolvex-emu" ctl "$work/emu.sock" status || fail "the emulator did not start"

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" TAVRIN_TRACE=1 TOLVEX_EMULATOR="$work/emu.sock" "$bin/tavrin" /Start \
  >"$work/tavrin.log" 2>&1 &
tavrin=$!
pids+=($tavrin)
wait_for grep -q "tray icon 141" "$work/tavrin.log" || fail "the keyboard was not followed to the tray"

# The tray icon: the program's small window embedded in the tray host; sets icon_x and icon_y to
# a point on it.
find_icon() {
  local host icon=
  for host in $(xdotool search --class trayer 2>/dev/null); do
    icon=$(xwininfo -tree -id "$host" | awk '/"tavrin": \("tavrin" "tavrin"\)/ {
      split($(NF-1), size, /[x+]/); if (size[1] < 64) { print $NF; exit } }')
    [ -n "$icon" ] && break
  done
  [ -n "$icon" ] || return 1
  IFS=+ read -r _ icon_x icon_y <<<"$icon"
  icon_x=$((icon_x + 11))
  icon_y=$((icon_y + 15))
}
wait_for find_icon || fail "no tray icon in the tray host"
picture tray 1400,0,200,40

xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_for xdotool search --onlyvisible --name '^Tavrin$' || fail "double-clicking the tray icon did not show the window"
window=$(xdotool search --onlyvisible --name '^Tavrin$' | head -n 1)
sleep 0.3
picture main-window "$window"

# The third profile button, where the skin puts it.
eval "$(xdotool getwindowgeometry --shell "$window")"
IFS=, read -r bx by bw bh _ <<<"$(grep -m1 '^FUNC_PROFILE3=' "$bin/Skins/Main.ini" | cut -d= -f2)"
xdotool mousemove $((X + bx + bw / 2)) $((Y + by + bh / 2)) click 1
active_is_2() {
  "$bin/tolvex-emu" ctl "$work/emu.sock" dump | grep -q '"settings": "000002'
}
wait_for active_is_2 || fail "clicking the third profile button did not make profile 2 active on the keyboard"

# The profile dialog opens from its button and closes with Escape.
IFS=, read -r bx by bw bh _ <<<"$(grep -m1 '^FUNC_PROFILES=' "$bin/Skins/Main.ini" | cut -d= -f2)"
xdotool mousemove $((X + bx + bw / 2)) $((Y + by + bh / 2)) click 1
wait_for xdotool search --onlyvisible --name '^Profiles$' || fail "the profiles button did not open the profile dialog"
sleep 0.3
picture profile-dialog "$(xdotool search --onlyvisible --name '^Profiles$' | head -n 1)"
xdotool key Escape
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Profiles$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --name '^Profiles$' >/dev/null 2>&1 && fail "Escape did not close the profile dialog"
xdotool search --onlyvisible --name '^Tavrin$' >/dev/null || fail "closing the profile dialog hid the window"

# The tray host restarts, as a desktop's panel does: the icon comes back in the new one.
kill "$trayer"
wait "$trayer" 2>/dev/null || true
start_trayer
wait_for find_icon || fail "the tray icon did not come back after the tray host restarted"

# Exit, the tray menu's last item, by the keyboard as a user may choose it.
xdotool mousemove "$icon_x" "$icon_y" click 3
sleep 0.5
picture tray-menu 1300,0,300,160
xdotool key Up
xdotool key Return
for _ in $(seq 100); do
  kill -0 "$tavrin" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$tavrin" 2>/dev/null && fail "Exit from the tray menu did not end the program"
status=0
wait "$tavrin" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with exit code $status"
echo "The tray icon (also after its host restarted), the window, the profile button and Exit all work on a real X desktop."
