#!/usr/bin/env bash
# cmake --install of the build into a folder of its own: the programs come
# stripped, with their manual pages (which groff reads without a warning) and,
# with the window, its desktop files.
#   install_test.sh BUILD_DIR PROGRAM...
set -uo pipefail
build=$1
shift
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1
failed=0
fail() {
  echo "$*"
  failed=1
}
for program in "$@"; do
  binary=$prefix/bin/$program
  if [[ ! -x $binary ]]; then
    fail "bin/$program is not installed"
    continue
  fi
  # A stripped program has no symbol table and no debugging sections.
  sections=$(readelf -S -W "$binary" | grep -oE '\.(symtab|debug_[a-z]+)' | sort -u | paste -sd' ')
  [[ -z $sections ]] || fail "bin/$program is not stripped: $sections"
  page=$prefix/share/man/man1/$program.1
  if [[ ! -f $page ]]; then
    fail "share/man/man1/$program.1 is not installed"
    continue
  fi
  warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
  [[ -z $warnings ]] || fail "$program.1: $warnings"
done
if [[ " $* " == *" velorantica "* ]]; then
  for file in applications/velorantica.desktop metainfo/velorantica.metainfo.xml; do
    [[ -f $prefix/share/$file ]] || fail "share/$file is not installed"
  done
fi
exit "$failed"
