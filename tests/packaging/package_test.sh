#!/usr/bin/env bash
# package_test.sh DEB SOURCE: the Debian package checked by lintian, installed on this machine with
# apt-get, its installed tree checked and its programs run, then removed: nothing of it is left.
set -euo pipefail
deb=$(realpath "$1")
source_dir=$2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

echo "== lintian $(basename "$deb")"
log=$(mktemp)
status=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$log" 2>&1 || status=$?
grep -v "running with root privileges" "$log" || true
rm -f "$log"
[ "$status" -eq 0 ] || { echo "FAILED: lintian reports errors" >&2; exit 1; }

echo "== apt-get install $(basename "$deb")"
# Removed whatever happens below, so that a failed run leaves no package behind.
trap 'DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tavrin >/dev/null 2>&1 || true' EXIT
install_log=$(mktemp)
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >"$install_log" 2>&1 \
  || { cat "$install_log" >&2; echo "FAILED: apt-get install" >&2; exit 1; }
rm -f "$install_log"
files=$(mktemp)
dpkg-query -L tavrin >"$files"

(
  prefix=/usr
  sysconfdir=/etc
  # shellcheck source=installed_tree_test.sh
  source "$(dirname "${BASH_SOURCE[0]}")/installed_tree_test.sh"
)

echo "== apt-get purge tavrin"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tavrin >/dev/null 2>&1 || { echo "FAILED: apt-get purge" >&2; exit 1; }
trap - EXIT
if dpkg-query -W -f='${Status}' tavrin 2>/dev/null | grep -q "installed\|config-files"; then
  echo "FAILED: the package is still known to dpkg after its removal" >&2
  exit 1
fi
left=()
while read -r path; do
  # Folders such as /usr/share/icons belong to others too; everything else must be gone.
  [ -d "$path" ] && [ ! -L "$path" ] && continue
  [ -e "$path" ] || [ -L "$path" ] && left+=("$path")
done <"$files"
[ -d /usr/lib/tavrin ] && left+=(/usr/lib/tavrin)
rm -f "$files"
if [ ${#left[@]} -gt 0 ]; then
  echo "FAILED: left after removal: ${left[*]}" >&2
  exit 1
fi
echo "The package installs, works and is removed without a trace."
