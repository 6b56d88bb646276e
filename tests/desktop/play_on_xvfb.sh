#!/usr/bin/env bash
# The real game on a virtual X display of 1366 x 768 with a window manager,
# driven as a player drives it: full screen the picture fills 1024 x 768; P
# pauses (two screenshots a second apart are the same) and P resumes; Escape
# closes with the ranking saved; a missing picture shows its message in the
# window and the game exits 1 once Enter closes it.
#   tests/desktop/play_on_xvfb.sh BUILD_DIR
# SOLVARA_DESKTOP_SHOTS=DIR keeps the screenshots there.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${SOLVARA_DESKTOP_SHOTS:-}" ]; then
    mkdir -p "$SOLVARA_DESKTOP_SHOTS"
    cp "$work"/*.png "$work"/*.log "$SOLVARA_DESKTOP_SHOTS/" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A free display: Xvfb picks the number itself and says which.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
# Full screen needs a window manager, as on a desktop.
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
  XDG_STATE_HOME="$work/home/state" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"

# The game's window, once mapped, with the keyboard focus.
game_window() {
  local window
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^SOLVARA 2001$' | head -1)
  [ -n "$window" ] || fail "no game window"
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  echo "$window"
}
shot() { import -window root "$work/$1.png"; convert "$work/$1.png" -depth 8 "rgb:$work/$1.rgb"; }
running() { kill -0 "$1" 2>/dev/null; }
# Waits (up to a minute) for the game `pid` to end; its status.
status_of() {
  for _ in $(seq 600); do running "$1" || break; sleep 0.1; done
  running "$1" && fail "the game did not end"
  wait "$1" || return $?
}

# 1. Full screen, fit: the picture fills 1024 x 768 in the middle.
"$build/solvara" >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window)
# The first start says that a new ranking begins.
grep -q 'スコア記録ファイルを作成します' "$work/game.log" && xdotool key --window "$window" Return
sleep 3
shot title
box=$(convert "$work/title.png" -trim -format '%wx%h%X%Y' info:)
[ "$box" = "1024x768+171+0" ] || fail "the picture covers $box, not 1024x768+171+0"

# 2. A held button starts play; P pauses it and P resumes it.
xdotool keydown --window "$window" x
sleep 1
xdotool keyup --window "$window" x
sleep 2
xdotool key --window "$window" p
sleep 0.5
shot paused1
sleep 1
shot paused2
cmp -s "$work/paused1.rgb" "$work/paused2.rgb" || fail "the paused picture moved"
xdotool key --window "$window" p
sleep 1
shot resumed
cmp -s "$work/paused2.rgb" "$work/resumed.rgb" && fail "play did not resume"

# 3. Escape closes the game with the ranking saved.
xdotool key --window "$window" Escape
status_of "$game" || fail "the game ended with status $?"
ranking=$(find "$HOME" "$build" -maxdepth 4 -name score.dat -newer "$work/display" | head -1)
[ -n "$ranking" ] && [ "$(stat -c %s "$ranking")" = 308 ] || fail "no ranking was saved"

# 4. A missing picture: its message in the window, then status 1.
mkdir -p "$work/game/bmp"
cp "$build/solvara" "$work/game/"
ln -s "$build/sound" "$work/game/sound"
cp "$build"/bmp/*.bmp "$work/game/bmp/"
rm "$work/game/bmp/b03.bmp"
"$work/game/solvara" >"$work/broken.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window)
grep -q 'スコア記録ファイルを作成します' "$work/broken.log" && xdotool key --window "$window" Return
for _ in $(seq 300); do grep -q 'b03.bmp' "$work/broken.log" && break; sleep 0.1; done
grep -q 'The picture .*/bmp/b03.bmp is missing' "$work/broken.log" || fail "no message for the missing picture"
sleep 2
running "$game" || fail "the game did not wait for the message to be read"
shot missing
# Lines of text on black, not the game's picture and not nothing.
text=$(convert "$work/missing.png" -trim -format '%w' info:)
[ "$text" -gt 400 ] && [ "$text" -lt 1024 ] || fail "no message text in the window ($text pixels wide)"
xdotool key --window "$window" Return
if status_of "$game"; then fail "the game ended with status 0"; else code=$?; fi
[ "$code" = 1 ] || fail "the game ended with status $code, not 1"
echo "desktop play: ok"
