#!/usr/bin/env bash
# Another program builds against the Vantor package installed into a DESTDIR tree
# (find_package(Vantor), Vantor::vantor) and runs on SDL's offscreen driver for a few
# frames with the game's generated assets.
#   example_test.sh BUILD_DIR EXAMPLE_SOURCE_DIR WORK_DIR FULL_PREFIX
set -euo pipefail
build=$1 source=$2 work=$3 prefix=$4
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
DESTDIR="$work/root" cmake --install "$build" --component dev >/dev/null
cmake -S "$source" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/root$prefix" >/dev/null ||
  fail "configuring against the installed package"
cmake --build "$work/build" >/dev/null || fail "building against the installed package"

status=0
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$work/build/vantor-example" \
  "$build/bmp/title.bmp" "$build/sound/sou01.wav" "$build/sound/bgm0.mid" 30 2>"$work/stderr" || status=$?
[ $status -eq 0 ] || { cat "$work/stderr" >&2; fail "the example exited with status $status"; }
# Every failure of the library says "エラー" (error) in its first line.
! grep -q 'エラー' "$work/stderr" || { cat "$work/stderr" >&2; fail "the library reported a failure"; }
echo "example built against $work/root$prefix and ran 30 frames"
