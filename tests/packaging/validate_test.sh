#!/usr/bin/env bash
# The desktop entry and the AppStream metadata validate offline, and each manual page
# renders without a warning and names every option its program's --help lists.
#   validate_test.sh DESKTOP_FILE METAINFO_FILE PROGRAM MANUAL_PAGE [PROGRAM MANUAL_PAGE...]
set -euo pipefail
desktop=$1 metainfo=$2
shift 2
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$desktop" || fail "$desktop"
appstreamcli validate --no-net "$metainfo" || fail "$metainfo"
while [ $# -gt 0 ]; do
  program=$1 manual=$2
  shift 2
  warnings=$(groff -man -ww -z "$manual" 2>&1)
  [ -z "$warnings" ] || fail "$manual: $warnings"
  for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" "$manual" || fail "$manual does not describe $option"
  done
done

# The desktop matches the running window to its entry by these names.
id=$(basename "$desktop" .desktop)
grep -qx "StartupWMClass=$id" "$desktop" || fail "StartupWMClass is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the launchable is not $id.desktop"
