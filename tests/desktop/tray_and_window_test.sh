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
# shellcheck source=session.sh
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
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
