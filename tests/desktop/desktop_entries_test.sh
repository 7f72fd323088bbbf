#!/usr/bin/env bash
# The installed desktop entries on a real X desktop (Xvfb, trayer as the tray host): the login
# entry's command puts the program in the tray without a window; the application menu's command,
# given while it runs, shows the running program's window and ends at once. The programs are a
# staged `cmake --install`, run through its bin/ links on the PATH.
#   desktop_entries_test.sh BUILD-FOLDER SCREENSHOT-TOOL [PICTURE-FOLDER]
set -euo pipefail

build=$1
shot=$2
pictures=${3:-}
app_id=org.tavrin.Tavrin

# A busy machine starts a Qt program slowly.
wait_seconds=20
# shellcheck source=../support/harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/harness.sh"

stage="$work/stage"
cmake --install "$build" --prefix "$stage" >/dev/null
exec_line() { sed -n 's/^Exec=//p' "$1"; }
login_command=$(exec_line "$stage/etc/xdg/autostart/$app_id.desktop")
menu_command=$(exec_line "$stage/share/applications/$app_id.desktop")

# shellcheck source=display.sh
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
start_xvfb
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
trayer --edge top --align right --widthtype request --height 32 --SetDockType true --transparent false \
  --tint 0x202020 >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for xdotool search --classname trayer || fail "trayer did not start"

"$stage/bin/tolvex-emu" --socket "$work/emu.sock" --state "$work/state.json" >"$work/emu.log" 2>&1 &
pids+=($!)
wait_for "$stage/bin/tolvex-emu" ctl "$work/emu.sock" status || fail "the emulator did not start"

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config"
export TOLVEX_EMULATOR="$work/emu.sock" PATH="$stage/bin:$PATH"

# At login: the tray icon once the keyboard is read, and no window.
TAVRIN_TRACE=1 sh -c "exec $login_command" >"$work/tavrin.log" 2>&1 &
tavrin=$!
pids+=($tavrin)
wait_for grep -q "tray icon 141" "$work/tavrin.log" || fail "the login entry ($login_command) did not reach the tray"
sleep 0.5
xdotool search --onlyvisible --name '^Tavrin$' >/dev/null 2>&1 && fail "the login entry opened the window"
grep -q "MSG_OPEN shown" "$work/tavrin.log" && fail "the login entry showed the window"

# From the application menu while it runs: the running program shows its window.
timeout 10 sh -c "exec $menu_command" >"$work/menu.log" 2>&1 || fail "the menu entry ($menu_command) failed"
wait_for xdotool search --onlyvisible --name '^Tavrin$' || fail "the menu entry did not show the running program's window"
kill -0 "$tavrin" 2>/dev/null || fail "the running program ended"
if [ -n "$pictures" ]; then
  mkdir -p "$pictures"
  sleep 0.3
  "$shot" "$pictures/menu-entry-window.png" "$(xdotool search --onlyvisible --name '^Tavrin$' | head -n 1)" 2>/dev/null || true
fi

tavrin /Kill >/dev/null 2>&1 || fail "tavrin /Kill failed"
wait_for bash -c "! kill -0 $tavrin" || fail "the program did not end on /Kill"
wait "$tavrin" || fail "the program ended with status $?"
echo "The login and menu entries work."
