#!/usr/bin/env bash
# The game installed into a DESTDIR tree runs from another folder: it loads its assets
# from the data folder beside its prefix, a SIGTERM closes it (a first-run message
# must not hold it), and the ranking lands in the player's data folder.
#   install_test.sh BUILD_DIR WORK_DIR FULL_BINDIR FULL_ASSETDIR
set -euo pipefail
build=$1 work=$2 bindir=$3 assetdir=$4
fail() { echo "FAIL: $*" >&2; [ -f "$work/stderr" ] && sed 's/^/  game: /' "$work/stderr" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/home" "$work/elsewhere"
DESTDIR="$work/root" cmake --install "$build" --component game >/dev/null
assets="$work/root$assetdir"
asset_bytes=$(cat "$assets"/bmp/* "$assets"/sound/* | wc -c)

cd "$work/elsewhere"
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u DISPLAY -u WAYLAND_DISPLAY \
  HOME="$work/home" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  "$work/root$bindir/solvara" >/dev/null 2>"$work/stderr" &
pid=$!
trap 'kill -KILL $pid 2>/dev/null || true' EXIT

# Loaded means every byte of the pictures, songs and effects was read (the process's
# read count, which also holds the SoundFont and small files).
read_bytes=0
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || fail "the game ended on its own"
  read_bytes=$(sed -n 's/^rchar: //p' /proc/$pid/io)
  [ "$read_bytes" -ge "$asset_bytes" ] && break
  sleep 0.2
done
[ "$read_bytes" -ge "$asset_bytes" ] || fail "the game read $read_bytes bytes, its assets are $asset_bytes"
sleep 2
kill -0 $pid 2>/dev/null || fail "the game ended on its own"

kill -TERM $pid
status=0
timeout 10 tail --pid=$pid -f /dev/null || fail "the game did not end within 10 s of SIGTERM"
wait $pid || status=$?
[ $status -eq 0 ] || fail "exit status $status after SIGTERM"
# Every failure of the library says "エラー" (error) in its first line.
! grep -q 'エラー' "$work/stderr" || fail "the library reported a failure"
score="$work/home/.local/share/solvara/score.dat"
[ -f "$score" ] || fail "no $score"
[ "$(stat -c %s "$score")" -eq 308 ] || fail "$score is not 308 bytes"
echo "installed game ran from $work/elsewhere; ranking written to $score"
