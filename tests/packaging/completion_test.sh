#!/usr/bin/env bash
# completion_test.sh COMPLETION_FILE: tavrinctl's bash completion, word by word: commands, options,
# file names, and effect names from the tool itself (names with spaces, a tool that fails).
set -uo pipefail
# shellcheck source=/dev/null
source "$1"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A stand-in for the tool: its effects, or a failure (that still prints) when $work/fail exists.
cat >"$work/tavrinctl" <<EOF
#!/bin/sh
[ "\$1 \$2" = "lighting --list-effects" ] || exit 2
if [ -e "$work/fail" ]; then echo "Wave"; exit 1; fi
printf 'Wave\nBreathing\nBreathing Colour\nStatic\n'
EOF
chmod +x "$work/tavrinctl"

# expect "WORDS ON THE LINE|" "EXPECTED COMPLETIONS" (sorted, one space apart); "|" is the cursor,
# always at the end of the last word.
expect() {
  local line=${1%|} expected=$2
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]="$work/tavrinctl"
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tavrinctl
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ')
  if [ "$got" != "$expected" ]; then
    echo "FAILED: '$line' completes to '$got', expected '$expected'" >&2
    failures=$((failures + 1))
  fi
}

expect "tavrinctl d|" "doctor"
expect "tavrinctl |" "--help backup colours doctor help info lighting profile restore show validate"
expect "tavrinctl profile |" "--help 1 2 3"
expect "tavrinctl show x.tvn --j|" "--json"
expect "tavrinctl restore -|" "--help"
expect "tavrinctl lighting --direction s|" "spread"
expect "tavrinctl lighting --li|" "--list-effects"
expect "tavrinctl lighting --report-rate 1|" "1000 125"
expect "tavrinctl colours --|" "--help --layout --profile --set"
expect "tavrinctl lighting --effect W|" "Wave"
expect "tavrinctl lighting --effect Bre|" 'Breathing Breathing\ Colour'
expect "tavrinctl lighting --effect |" 'Breathing Breathing\ Colour Static Wave'
touch "$work/fail"
expect "tavrinctl lighting --effect |" ""

mkdir "$work/files"
touch "$work/files/keyboard.tvn" "$work/files/other.tvn"
mkdir "$work/files/kept"
cd "$work/files" || exit 1
expect "tavrinctl backup k|" "kept keyboard.tvn"
expect "tavrinctl validate o|" "other.tvn"
expect "tavrinctl colours --set k|" "kept keyboard.tvn"

[ "$failures" -eq 0 ] || exit 1
echo "Completion: every case completes as expected."
