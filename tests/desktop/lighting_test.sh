#!/usr/bin/env bash
# The lighting panel on a real X desktop, driven by xdotool: the panel opens from its switch, an
# effect is chosen from the effect list with the keyboard, the brightness slider is dragged, and
# the keyboard (the emulator) holds the new effect and brightness in its settings; then effect 19
# and a drag across the keys paints them, and the emulator's colour area holds the paint. Pictures
# of the panel previewing an effect and of the per-key colours go to the folder given third.
#   lighting_test.sh BIN-FOLDER SCREENSHOT-TOOL [PICTURE-FOLDER]
set -euo pipefail

bin=$1
shot=$2
pictures=${3:-}
# shellcheck source=session.sh
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"

# settings_byte N: field N of profile 1's lighting record, as two hex digits.
settings_byte() { emulator_value settings | cut -c $((2 * $1 + 1))-$((2 * $1 + 2)); }
# colour_of LED: profile 1's colour of that LED, as RRGGBB.
colour_of() { emulator_value colours | cut -c $((6 * $1 + 1))-$((6 * $1 + 6)); }
# Read afresh at every try of wait_for.
setting_is() { [ "$(settings_byte "$1")" = "$2" ]; }
colour_is() { [ "$(colour_of "$1")" = "$2" ]; }
# place KEY: the control's rectangle in Main.ini as "x y width height".
place() { grep -m1 "^$1=" "$bin/Skins/Main.ini" | cut -d= -f2 | awk -F, '{ print $1, $2, $3, $4 }'; }

# User layout 1 of profile 1 paints in magenta (its keys are red, as a layout never saved).
mkdir -p "$work/home/Documents/Tavrin_R2T"
printf '[Mode0]\ntool=0\njcolor=0,0,0\ncolor=255,0,255\n' >"$work/home/Documents/Tavrin_R2T/UserDengColor_0.userd"

open_window
[ "$(settings_byte 3)" = 01 ] || fail "the emulator does not start with effect 1"
click_control Main.ini CONTROL_DengStaPic "$window"
sleep 0.3

# The effect list: the third effect (Snake), chosen with the keyboard in the opened list.
click_control Main.ini CONTROL_XGcombox "$window"
sleep 0.3
xdotool key Down Down Return
wait_for setting_is 3 03 || fail "choosing the third effect did not reach the keyboard: $(settings_byte 3)"

# The brightness slider dragged from its right end to about a quarter.
read -r sx sy sw sh <<<"$(place CONTROL_LightSlider)"
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + sx + sw - 4)) $((Y + sy + sh / 2)) mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove $((X + sx + sw - 4 - step * (sw * 3 / 4) / 6)) $((Y + sy + sh / 2))
  sleep 0.05
done
xdotool mouseup 1
# The program may still be taking the last moves in on a busy machine.
brightness_dragged() {
  local brightness=$((16#$(settings_byte 4)))
  [ "$brightness" -ge 4 ] && [ "$brightness" -le 9 ]
}
wait_for brightness_dragged || fail "dragging the brightness slider left the keyboard at $((16#$(settings_byte 4)))"
sleep 0.5
picture lighting-panel "$window"

# Effect 19 (Custom), the last entry; user layout 1 chosen from its list; a drag across Q W E R.
click_control Main.ini CONTROL_XGcombox "$window"
sleep 0.3
xdotool key End Return
wait_for setting_is 3 13 || fail "choosing effect 19 did not reach the keyboard"
click_control Main.ini CONTROL_umCombo "$window"
xdotool key alt+Down
sleep 0.3
xdotool key Return
wait_for colour_is 47 ff0000 || fail "choosing user layout 1 did not send its colours: $(colour_of 47)"
read -r qx qy qw qh <<<"$(place KEY_010)"
read -r rx _ _ _ <<<"$(place KEY_013)"
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + qx + qw / 2)) $((Y + qy + qh / 2)) mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove $((X + qx + qw / 2 + step * (rx - qx) / 8)) $((Y + qy + qh / 2))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.3
# Q W E R are LEDs 43 to 46; T (47) keeps the layout's red.
for led in 43 44 45 46; do
  wait_for colour_is "$led" ff00ff || fail "LED $led was not painted: $(colour_of "$led")"
done
[ "$(colour_of 47)" = ff0000 ] || fail "T was painted too: $(colour_of 47)"
picture lighting-per-key "$window"
echo "lighting panel: effect, brightness and painted keys reached the keyboard"
