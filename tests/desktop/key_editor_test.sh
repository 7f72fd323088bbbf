#!/usr/bin/env bash
# The key editor on a real X desktop, driven by xdotool: the A key records the keys "h" and "i"
# typed through the X server into a new macro played 5 times, B becomes the right mouse button, C
# a media function and D a function key; Apply in the main window writes them, and the keyboard
# (the emulator) then holds them. Pictures of the editor's pages go to the folder given third.
#   key_editor_test.sh BIN-FOLDER SCREENSHOT-TOOL [PICTURE-FOLDER]
set -euo pipefail

bin=$1
shot=$2
pictures=${3:-}
# shellcheck source=session.sh
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
open_window

# open_editor KEY-IN-MAIN.INI TITLE: clicks the key's button; sets editor.
open_editor() {
  click_control Main.ini "$1" "$window"
  wait_for xdotool search --onlyvisible --name "^$2\$" || fail "clicking $1 did not open the key editor"
  editor=$(xdotool search --onlyvisible --name "^$2\$" | head -n 1)
  sleep 0.3
}
close_editor() {
  click_control Composite.ini CONTROL_OK "$editor"
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "OK did not close the key editor of $1"
}

# A: a macro of "h" and "i", recorded from the X server's keys, played 5 times.
open_editor KEY_01E A
picture key-editor-key "$editor"
click_control Composite.ini CONTROL_MACRO "$editor"
click_control Composite.ini FUNC_MACRO_ADD "$editor"
click_control Composite.ini FUNC_MACRO_RECORD "$editor"
xdotool key --delay 60 h i
sleep 0.2
click_control Composite.ini FUNC_MACRO_RECORD "$editor"
click_control Composite.ini FUNC_MACRO_CYCLES "$editor"
xdotool key ctrl+a
xdotool type 5
sleep 0.2
picture key-editor-macro "$editor"
close_editor A

# B: the second mouse function (the right button), chosen with the wheel.
open_editor KEY_030 B
click_control Composite.ini FUNC_KEY_RADIO_MOU "$editor"
click_control Composite.ini FUNC_KEY_COMBO_MOU "$editor" 5
close_editor B

# C: the third media function.
open_editor KEY_02E C
click_control Composite.ini CONTROL_MEDIA "$editor"
click_control Composite.ini FUNC_MEDIA_SELECT "$editor" 5
click_control Composite.ini FUNC_MEDIA_SELECT "$editor" 5
picture key-editor-media "$editor"
close_editor C

# D: the second function key.
open_editor KEY_020 D
click_control Composite.ini CONTROL_FUNCTION "$editor"
click_control Composite.ini FUNC_FUNCTION_SELECT "$editor" 5
picture key-editor-function "$editor"
close_editor D

# Apply writes the active profile to the keyboard.
click_control Main.ini CONTROL2_APPLY "$window"

# entry_of CODE-ENTRY: the 3-byte entry at the place the factory map gives that key's entry.
base=$(emulator_value base_keymap)
place_of() {
  local at=0
  while [ $at -lt ${#base} ]; do
    [ "${base:$at:6}" = "$1" ] && { echo "$at"; return 0; }
    at=$((at + 6))
  done
  fail "no entry $1 in the factory key map"
}
a=$(place_of 020204)
b=$(place_of 020205)
c=$(place_of 020206)
d=$(place_of 020207)
applied() {
  local map
  map=$(emulator_value keymaps)
  [ "${map:$a:6}" = 050100 ] && [ "${map:$b:6}" = 010102 ] && [ "${map:$c:2}" = 03 ] && [ "${map:$d:6}" = 050501 ]
}
wait_for applied || {
  map=$(emulator_value keymaps)
  fail "the keyboard holds A ${map:$a:6}, B ${map:$b:6}, C ${map:$c:6}, D ${map:$d:6}"
}

# The keyboard's macro, read back by tavrinctl: h and i pressed and released, 5 times.
listing=$(TOLVEX_EMULATOR="$work/emu.sock" "$bin/tavrinctl" backup - | "$bin/tavrinctl" show - --json) ||
  fail "tavrinctl could not read the keyboard back"
echo "$listing" >"$work/listing.json"
for expected in '"cycles": *5' '"key": *"H"' '"key": *"I"'; do
  grep -q "$expected" "$work/listing.json" || fail "the keyboard's macro lacks $expected: $(head -c 600 "$work/listing.json")"
done
echo "The key editor's pages and a recorded macro reach the keyboard on a real X desktop."
