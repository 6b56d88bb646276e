#!/usr/bin/env bash
# The game installed into a DESTDIR tree runs from another folder with a fresh home: the
# first-run message comes up, a SIGTERM closes the game all the same, the start-up goes on
# to load every asset from the data folder beside its prefix (a start-up that fails ends
# with status 1), and the ranking lands in the player's data folder. The desktop entry
# starts the installed game by its full path (a PATH may lack the games folder) with the
# file it is given, and a recorded replay has the replays' MIME type the game installs, the
# one the entry lists (the database built offline in the tree, as a desktop builds it).
#   install_test.sh BUILD_DIR WORK_DIR FULL_GAMESDIR APP_ID FULL_DATADIR REPLAY
set -euo pipefail
build=$1 work=$2 bindir=$3 id=$4 datadir=$5 replay=$6
fail() { echo "FAIL: $*" >&2; [ -f "$work/stderr" ] && sed 's/^/  game: /' "$work/stderr" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/home" "$work/elsewhere"
DESTDIR="$work/root" cmake --install "$build" --component game >/dev/null
entry="$work/root$datadir/applications/$id.desktop"
grep -qx "Exec=$bindir/solvara %f" "$entry" || fail "$entry does not start $bindir/solvara: $(grep Exec "$entry")"
type=application/x-solvara-replay
grep -qx "MimeType=$type;" "$entry" || fail "$entry does not list $type"
update-mime-database "$work/root$datadir/mime"
cp "$replay" "$work/game.rpl"
cp "$replay" "$work/no-extension"
for file in "$work/game.rpl" "$work/no-extension"; do
  found=$(env -i PATH="$PATH" HOME="$work/home" XDG_DATA_HOME="$work/home" XDG_DATA_DIRS="$work/root$datadir" \
    GIO_USE_VFS=local gio info -a standard::content-type "$file" 2>/dev/null | sed -n 's/^ *standard::content-type: //p')
  [ "$found" = "$type" ] || fail "$file is of the type '$found', not $type"
done

cd "$work/elsewhere"
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u DISPLAY -u WAYLAND_DISPLAY \
  HOME="$work/home" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  "$work/root$bindir/solvara" >/dev/null 2>"$work/stderr" &
pid=$!
trap 'kill -KILL $pid 2>/dev/null || true' EXIT

first_run='スコア記録ファイルを作成します。'
for _ in $(seq 100); do
  grep -q "$first_run" "$work/stderr" && break
  kill -0 $pid 2>/dev/null || fail "the game ended on its own"
  sleep 0.2
done
grep -q "$first_run" "$work/stderr" || fail "no first-run message within 20 s"

kill -TERM $pid
status=0
timeout 10 tail --pid=$pid -f /dev/null || fail "the game did not end within 10 s of SIGTERM"
wait $pid || status=$?
trap - EXIT
[ $status -eq 0 ] || fail "exit status $status after SIGTERM"
# The first-run message (its text and English line) is all the game had to say.
[ "$(grep -vc "$first_run" "$work/stderr")" -le 1 ] || fail "more messages than the first-run one"
score="$work/home/.local/share/solvara/score.dat"
[ -f "$score" ] || fail "no $score"
[ "$(stat -c %s "$score")" -eq 308 ] || fail "$score is not 308 bytes"
echo "installed game ran from $work/elsewhere; ranking written to $score"
