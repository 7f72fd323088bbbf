#!/usr/bin/env bash
# staged_install_test.sh BUILD SOURCE: `cmake --install` into a folder of our own (no root), then
# the installed tree's checks; the tree still works after it is moved, since its bin/ links are
# relative and the programs find their folder through /proc/self/exe.
set -euo pipefail
build=$1
source_dir=$2

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/first" >/dev/null
mv "$stage/first" "$stage/moved"
(
  prefix="$stage/moved"
  sysconfdir="$stage/moved/etc"
  # shellcheck source=installed_tree_test.sh
  source "$(dirname "${BASH_SOURCE[0]}")/installed_tree_test.sh"
)
