#!/usr/bin/env bash
# The desktop entry and the AppStream metadata validate offline, and the manual page
# renders without a warning.
#   validate_test.sh DESKTOP_FILE METAINFO_FILE MANUAL_PAGE
set -euo pipefail
desktop=$1 metainfo=$2 manual=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$desktop" || fail "$desktop"
appstreamcli validate --no-net "$metainfo" || fail "$metainfo"
warnings=$(groff -man -ww -z "$manual" 2>&1)
[ -z "$warnings" ] || fail "$manual: $warnings"

# The desktop matches the running window to its entry by these names.
id=$(basename "$desktop" .desktop)
grep -qx "StartupWMClass=$id" "$desktop" || fail "StartupWMClass is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the launchable is not $id.desktop"
