# Shared by the shell tests, sourced: a work folder removed on exit together with the processes
# started meanwhile (their pids added to `pids`), failing with every log of the work folder shown,
# and waiting for a command to succeed.

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
  for log in "$work"/*.log; do [ -f "$log" ] && sed "s|^|  $(basename "$log" .log): |" "$log" >&2; done
  exit 1
}

# Waits up to $wait_seconds (5 unless set) for a command to succeed.
wait_for() {
  for _ in $(seq $((${wait_seconds:-5} * 20))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}
