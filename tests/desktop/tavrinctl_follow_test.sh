#!/usr/bin/env bash
# The real program on a real X desktop follows tavrinctl: with the window open, `tavrinctl profile 2`
# run beside it tells the program, whose window then marks its second profile button (and the first
# no longer); `tavrinctl profile 1` brings the first mark back, pixel for pixel. Pictures of each
# step go to the folder given third.
#   tavrinctl_follow_test.sh BIN-FOLDER SCREENSHOT-TOOL [PICTURE-FOLDER]
set -euo pipefail

bin=$1
shot=$2
pictures=${3:-}
# shellcheck source=session.sh
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
open_window
# Nothing hovers over the buttons whose looks are compared.
xdotool mousemove 0 999
sleep 0.3
picture follow-before "$window"

# button_look KEY NAME: a picture of the profile button the skin places at KEY, on the screen.
button_look() {
  local bx by bw bh
  IFS=, read -r bx by bw bh _ <<<"$(grep -m1 "^$1=" "$bin/Skins/Main.ini" | cut -d= -f2)"
  "$shot" "$work/$2.png" "$((X + bx)),$((Y + by)),$bw,$bh" 2>>"$work/shot.log" || fail "no picture of $1"
}
button_look FUNC_PROFILE1 first-marked
button_look FUNC_PROFILE2 second-unmarked

tavrinctl() {
  HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" TOLVEX_EMULATOR="$work/emu.sock" "$bin/tavrinctl" "$@" \
    >>"$work/tavrinctl.log" 2>&1
}
# looks_differ KEY NAME: the button's look is no longer the one in NAME.
looks_differ() {
  button_look "$1" now
  ! cmp -s "$work/now.png" "$work/$2.png"
}
looks_same() {
  button_look "$1" now
  cmp -s "$work/now.png" "$work/$2.png"
}

tavrinctl profile 2 || fail "tavrinctl profile 2 failed"
wait_for grep -q "MSG_KEYBOARD_CHANGED" "$work/tavrin.log" || fail "the program was not told of tavrinctl's change"
wait_for looks_differ FUNC_PROFILE2 second-unmarked || fail "the window did not mark profile 2 after tavrinctl profile 2"
wait_for looks_differ FUNC_PROFILE1 first-marked || fail "the window kept profile 1 marked after tavrinctl profile 2"
sleep 0.2
picture follow-profile-2 "$window"

tavrinctl profile 1 || fail "tavrinctl profile 1 failed"
wait_for looks_same FUNC_PROFILE1 first-marked || fail "the window did not mark profile 1 again after tavrinctl profile 1"
wait_for looks_same FUNC_PROFILE2 second-unmarked || fail "the window kept profile 2 marked after tavrinctl profile 1"
"$bin/tolvex-emu" ctl "$work/emu.sock" dump | grep -q '"settings": "000000' \
  || fail "the keyboard does not run profile 1"
echo "The window followed tavrinctl's profile changes on a real X desktop."
