#!/usr/bin/env bash
# After every test: the temporary folder they ran with holds nothing (each
# test removes what it made); then it goes too.
#   leftovers_test.sh FOLDER
set -euo pipefail
dir=$1
# Run on its own (ctest -R), it finds no folder: nothing ran with it.
[ -d "$dir" ] || exit 0
left=$(ls -A "$dir")
if [ -n "$left" ]; then
  echo "FAIL: the tests left in $dir:" >&2
  ls -lA "$dir" >&2
  rm -rf "$dir"
  exit 1
fi
rmdir "$dir"
