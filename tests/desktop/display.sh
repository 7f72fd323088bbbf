# Shared by the desktop tests, sourced after the harness (it uses $work, $pids, wait_for and fail).

# A display of our own. Tests run in parallel: a server asked to pick a free number itself may pick
# the one another picks at the same moment (it takes no lock then), so a number is drawn here and the
# server takes its lock file, which names the server that holds it; a number held already is drawn
# again.
start_xvfb() {
  local attempt number xvfb
  for attempt in 1 2 3 4 5 6 7 8; do
    number=$((RANDOM % 900 + 100))
    Xvfb ":$number" -screen 0 1600x1000x24 -nolisten tcp >>"$work/xvfb.log" 2>&1 &
    xvfb=$!
    if wait_for xdotool_on ":$number" && kill -0 "$xvfb" 2>/dev/null \
      && [ "$(tr -d ' \n' <"/tmp/.X$number-lock" 2>/dev/null)" = "$xvfb" ]; then
      pids+=("$xvfb")
      export DISPLAY=":$number"
      return 0
    fi
    echo "Xvfb attempt $attempt: display :$number was not ours" >>"$work/xvfb.log"
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  done
  fail "Xvfb did not start"
}
# xdotool_on DISPLAY: the display answers.
xdotool_on() { DISPLAY=$1 xdotool getdisplaygeometry; }
