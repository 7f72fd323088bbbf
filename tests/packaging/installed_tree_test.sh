# Checks an installed tree: sourced by the staged-install test and the package test with
#   $prefix      where it is installed (/usr for the package)
#   $sysconfdir  where its etc/ is (/etc for the package)
#   $source_dir  the source tree (the README and its pictures)
# Every file validates, the manual pages render without warnings, and the installed programs run
# through their bin/ links: tavrinctl, the emulator, tavrinctl doctor against it, and the program
# offscreen, which lays its window out from the installed skin and ends on "/Kill".

app_id=org.tavrin.Tavrin
# A busy machine starts a Qt program slowly.
wait_seconds=20
# shellcheck source=../support/harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/harness.sh"

echo "== files in $prefix"
for file in "$prefix/bin/tavrin" "$prefix/bin/tavrinctl" "$prefix/bin/tolvex-emu" \
  "$prefix/lib/tavrin/libTolvex.so" "$prefix/lib/tavrin/Lang0409.ini" "$prefix/lib/tavrin/Skins/Main.ini" \
  "$prefix/lib/tavrin/Help/index.html" "$prefix/lib/udev/rules.d/70-tavrin.rules" \
  "$prefix/share/bash-completion/completions/tavrinctl" "$prefix/share/doc/tavrin/copyright"; do
  [ -e "$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256 512; do
  [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/tavrin.png" ] || fail "no ${size}x${size} icon"
done

echo "== desktop entries and metainfo"
desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "the desktop entry does not validate"
autostart="$sysconfdir/xdg/autostart/$app_id.desktop"
desktop-file-validate "$autostart" || fail "the autostart entry does not validate"
grep -qx 'Exec=tavrin /Start' "$autostart" || fail "the autostart entry does not start the program with /Start"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log" >&2; fail "the metainfo does not validate"; }
# Every picture of the README is a screenshot of the metainfo.
for picture in $(grep -o 'docs/[A-Za-z0-9_-]*\.png' "$source_dir/README.md" | sort -u); do
  [ -f "$source_dir/$picture" ] || fail "the README shows $picture, which does not exist"
  grep -q "/$(basename "$picture")</image>" "$metainfo" || fail "the metainfo lacks the README's $picture"
done

echo "== manual pages"
for page in tavrin tavrinctl tolvex-emu; do
  manual="$prefix/share/man/man1/$page.1.gz"
  [ -f "$manual" ] || fail "no manual page for $page"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manual" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual page of $page warns: $warnings"
  warnings=$(zcat "$manual" | groff -ww -man -z -K utf8 2>&1)
  [ -z "$warnings" ] || fail "groff -ww warns on the manual page of $page: $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$manual" 2>/dev/null | grep -q "^NAME" || fail "$page's page has no NAME"
done

echo "== the installed programs"
"$prefix/bin/tavrinctl" --help >"$work/help.log" || fail "tavrinctl --help failed"
grep -q "doctor" "$work/help.log" || fail "tavrinctl --help does not list doctor"

"$prefix/bin/tolvex-emu" --socket "$work/emu.sock" --state "$work/state.json" >"$work/emu.log" 2>&1 &
pids+=($!)
wait_for "$prefix/bin/tolvex-emu" ctl "$work/emu.sock" status || fail "the installed emulator did not start"

status=0
TOLVEX_EMULATOR="$work/emu.sock" "$prefix/bin/tavrinctl" doctor >"$work/doctor.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "tavrinctl doctor against the emulator exited with $status"
grep -q "$prefix/lib/tavrin/libTolvex.so loads" "$work/doctor.log" \
  || grep -q "/lib/tavrin/libTolvex.so loads" "$work/doctor.log" || fail "doctor did not load the installed library"
grep -q "The keyboard emulator can be used." "$work/doctor.log" || fail "doctor did not find the emulator usable"

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
run_program() {
  HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen \
    TAVRIN_TRACE=1 TOLVEX_EMULATOR="$work/emu.sock" "$prefix/bin/tavrin" "$@"
}
run_program >"$work/tavrin.log" 2>&1 &
tavrin=$!
pids+=($tavrin)
# Without /Start the window opens once the keyboard is read: laid out from the installed skin.
wait_for grep -q "MSG_OPEN shown" "$work/tavrin.log" || fail "the installed program did not open its window"
grep -q "laid out" "$work/tavrin.log" || fail "the installed program did not lay its window out"
run_program /Kill >"$work/kill.log" 2>&1 || fail "tavrin /Kill failed"
wait_for bash -c "! kill -0 $tavrin" || fail "the installed program did not end on /Kill"
wait "$tavrin" || fail "the installed program ended with status $?"
echo "The installed tree in $prefix checks out."
