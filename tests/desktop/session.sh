# Shared by the desktop tests, sourced with $bin, $shot and $pictures set: a work folder cleaned up
# on exit, waiting and failing, pictures, a display of our own with trayer as its tray host, the
# keyboard emulator, and the real program started with "/Start" and followed to the tray.

# shellcheck source=../support/harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/harness.sh"

# picture NAME [WINDOW-ID | X,Y,WIDTH,HEIGHT]
picture() {
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  "$shot" "$pictures/$1.png" ${2:+"$2"} 2>/dev/null || echo "no picture $1" >&2
}

# shellcheck source=display.sh
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
start_xvfb
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

# The emulator's state, and one value of it: emulator_value NAME prints its hex (the first of a list).
emulator_value() {
  "$bin/tolvex-emu" ctl "$work/emu.sock" dump | sed -n "s/^  \"$1\": \[\?\"\([0-9a-f]*\)\".*/\1/p"
}

# Opens the window from the tray icon; sets window and X, Y (its place on the screen).
open_window() {
  wait_for find_icon || fail "no tray icon in the tray host"
  xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
  wait_for xdotool search --onlyvisible --name '^Tavrin$' || fail "double-clicking the tray icon did not show the window"
  window=$(xdotool search --onlyvisible --name '^Tavrin$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

# click_control SKIN-FILE KEY WINDOW-ID [BUTTON]: clicks the middle of the control that the skin
# file places at KEY inside that window (BUTTON 4 and 5 turn the wheel).
click_control() {
  local place bx by bw bh
  place=$(grep -m1 "^$2=" "$bin/Skins/$1" | cut -d= -f2) || true
  [ -n "$place" ] || fail "no $2 in $1"
  IFS=, read -r bx by bw bh _ <<<"$place"
  local X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$3")"
  xdotool mousemove $((X + bx + bw / 2)) $((Y + by + bh / 2)) click "${4:-1}"
  sleep 0.15
}
