#!/usr/bin/env bash
# The real game as a player meets it. Without a display it says so; on a
# virtual X display of 1366 x 768 with a window manager, driven with xdotool:
# a broken settings file is reported with its line; full screen the picture
# fills 1024 x 768; P pauses (two screenshots a second apart are the same)
# and P resumes; Alt+Enter's window goes into the settings file, the
# player's own file copied once beside it; Escape closes with the ranking
# saved in the data folder; P on the title opens the menu (the debug log
# says so), Options > Display > Mode makes the full screen a window, and
# Quit ends the game with status 0; a missing picture shows its message in
# the window and the game exits 1 once Enter closes it; with no window
# manager at all, full screen still covers the screen with the whole picture.
#   tests/desktop/play_on_xvfb.sh BUILD_DIR
# SOLVARA_DESKTOP_SHOTS=DIR keeps the screenshots and logs there.
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
  for log in "$work"/game.log "$work"/broken.log; do
    [ -f "$log" ] && { echo "--- $(basename "$log")"; grep -v '^ALSA' "$log" | tail -20; } >&2
  done
  exit 1
}

# The settings folder has a name in other scripts than English's: its
# messages keep every character, on screen and on stderr.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/réglages-設定" \
  XDG_STATE_HOME="$work/home/state" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"

# 1. The command line, and no display at all.
"$build/solvara" --help >"$work/help.log" || fail "--help did not exit 0"
grep -q -- '--scale fit|integer' "$work/help.log" || fail "--help does not list the options"
set +e
"$build/solvara" --bogus 2>"$work/bogus.log"
code=$?
start=$(date +%s%N)
env -u DISPLAY -u WAYLAND_DISPLAY "$build/solvara" 2>"$work/nodisplay.log"
nodisplay=$?
took=$((($(date +%s%N) - start) / 1000000))
set -e
[ "$code" = 2 ] && grep -q 'bogus' "$work/bogus.log" || fail "an unknown option did not exit 2 ($code)"
[ "$nodisplay" = 1 ] && grep -q 'no display' "$work/nodisplay.log" || fail "without a display: status $nodisplay"
[ "$took" -lt 1000 ] || fail "without a display it took $took ms to give up"

# A free display: Xvfb picks the number itself and says which.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
# Full screen needs a window manager, as on a desktop. Openbox runs the
# startup command once it manages windows; a window mapped before that may
# be lost (and SDL would wait for it forever).
openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm=$!
pids+=($wm)
for _ in $(seq 300); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done
[ -e "$work/wm-ready" ] || fail "the window manager did not start"

running() { kill -0 "$1" 2>/dev/null; }
# The window of the game `pid`, once mapped (up to two minutes), with the
# keyboard focus.
game_window() {
  local window=""
  for _ in $(seq 600); do
    running "$1" || fail "the game ended before its window showed"
    window=$(xdotool search --onlyvisible --name '^SOLVARA 2001$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || fail "no game window"
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  echo "$window"
}
# Waits (up to 30 s) for `pattern` in the log `file`.
await() {
  for _ in $(seq 300); do grep -q "$2" "$1" && return 0; sleep 0.1; done
  fail "no \"$2\" in $(basename "$1")"
}
# Presses Enter in `window` until the command that follows holds (up to 30
# s): a key that comes before the message is on the screen does not count,
# and one sent after the game closed its window fails harmlessly.
enter_until() {
  local window=$1
  shift
  for _ in $(seq 60); do
    xdotool key --window "$window" Return 2>/dev/null || true
    sleep 0.5
    "$@" && return 0
  done
  fail "Enter did not bring on: $*"
}
# A screenshot of the screen (or of the window given second).
shot() { import -window "${2:-root}" "$work/$1.png"; convert "$work/$1.png" -depth 8 "rgb:$work/$1.rgb"; }
# Waits (up to a minute) for the game `pid` to end; its status.
status_of() {
  for _ in $(seq 600); do running "$1" || break; sleep 0.1; done
  running "$1" && fail "the game did not end"
  wait "$1" || return $?
}

# 2. The first start: a new ranking, and the settings file's mistake with its
# line; then full screen, fit: the picture fills 1024 x 768 in the middle.
mkdir -p "$XDG_CONFIG_HOME/solvara"
printf '[sound]\nmusic = 150\n[keys]\nup = "Ö"\n' >"$XDG_CONFIG_HOME/solvara/settings.toml"
cp "$XDG_CONFIG_HOME/solvara/settings.toml" "$work/settings.toml"
"$build/solvara" >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window "$game")
# (A build folder that holds a ranking of an earlier version gives it to the
# new data folder, and then no new one begins.)
await "$work/game.log" 'スコア記録ファイルを作成します\|copied the ranking'
settings_said() { grep -q '^line 2: \[sound\] music must be' "$work/game.log"; }
grep -q 'スコア記録ファイルを作成します' "$work/game.log" && enter_until "$window" settings_said
await "$work/game.log" '^line 2: \[sound\] music must be'
grep -qF "Mistakes in $XDG_CONFIG_HOME/solvara/settings.toml" "$work/game.log" &&
  grep -qF 'line 4: no key is named "Ö"' "$work/game.log" || fail "the settings message lost characters"
title_shown() {
  sleep 2
  shot title
  [ "$(convert "$work/title.png" -trim -format '%wx%h%X%Y' info:)" = 1024x768+171+0 ]
}
enter_until "$window" title_shown

# 3. A held button starts play; P pauses it and P resumes it.
xdotool keydown --window "$window" x
sleep 1
xdotool keyup --window "$window" x
sleep 2
xdotool key --window "$window" p
# Paused, two screenshots a second apart are the same (the key may take a
# moment to arrive).
shot paused1
paused=no
for _ in $(seq 10); do
  sleep 1
  shot paused2
  cmp -s "$work/paused1.rgb" "$work/paused2.rgb" && paused=yes && break
  mv "$work/paused2.rgb" "$work/paused1.rgb"
done
[ "$paused" = yes ] || fail "the picture did not stand still after P"
xdotool key --window "$window" p
resumed=no
for _ in $(seq 10); do
  sleep 1
  shot resumed
  cmp -s "$work/paused2.rgb" "$work/resumed.rgb" || { resumed=yes && break; }
done
[ "$resumed" = yes ] || fail "play did not resume after P"

# 4. Alt+Enter's window goes into the settings file, below the player's own
# lines, which are kept once as settings.toml.bak; Escape closes with the
# ranking saved.
xdotool key --window "$window" alt+Return
settings="$XDG_CONFIG_HOME/solvara/settings.toml"
remembered() { grep -qx 'mode = "window"' "$settings" 2>/dev/null; }
for _ in $(seq 100); do remembered && break; sleep 0.1; done
remembered || fail "Alt+Enter's choice did not go into the settings file"
head -n "$(wc -l <"$work/settings.toml")" "$settings" | cmp -s - "$work/settings.toml" || fail "the player's lines of the settings file were changed"
cmp -s "$settings.bak" "$work/settings.toml" || fail "the player's settings file was not kept as settings.toml.bak"
xdotool key --window "$window" Escape
status_of "$game" || fail "the game ended with status $?"
ranking="$XDG_DATA_HOME/solvara/score.dat"
[ -f "$ranking" ] && [ "$(stat -c %s "$ranking")" = 308 ] || fail "no ranking was saved in the data folder"

# The menus: full screen from the command line, P on the title opens the
# title menu; Options, Display, and Enter on Mode makes it a window of
# 640 x 480 (the largest whole multiple that fits); back up to the title
# menu, where Quit ends the game with status 0 and the ranking saved.
rm "$ranking"
"$build/solvara" --fullscreen --log "$work/menus.log" >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window "$game")
enter_until "$window" title_shown
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
[ "$(size)" = 1366x768 ] || fail "the game did not start full screen ($(size))"
press() { for key in "$@"; do xdotool key --window "$window" "$key"; sleep 0.3; done; }
press p
await "$work/menus.log" 'Menu: title'
grep -aq '^video: SDL x11' "$work/menus.log" || fail "the log does not name the video driver"
shot title-menu
press Down Down Down Return
await "$work/menus.log" 'Menu: options'
press Return Return
for _ in $(seq 50); do [ "$(size)" = 640x480 ] && break; sleep 0.1; done
[ "$(size)" = 640x480 ] || fail "Options > Display > Mode did not make a window ($(size))"
grep -qx 'mode = "window"' "$settings" || fail "the window chosen in Options is not in the settings file"
shot display-menu "$window"
press Escape Escape Down Return
status_of "$game" || fail "Quit ended the game with status $?"
[ -f "$ranking" ] && [ "$(stat -c %s "$ranking")" = 308 ] || fail "Quit did not save the ranking"

# 6. A missing picture: its message in the window (the ranking found in the
# folder --data-dir names, so that is the only message), then status 1.
mkdir -p "$work/game/bmp"
cp "$build/solvara" "$work/game/"
ln -s "$build/sound" "$work/game/sound"
cp "$build"/bmp/*.bmp "$work/game/bmp/"
rm "$work/game/bmp/b03.bmp"
"$work/game/solvara" --data-dir "$XDG_DATA_HOME/solvara" >"$work/broken.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window "$game")
await "$work/broken.log" 'The picture .*/bmp/b03.bmp is missing'
grep -q 'スコア記録ファイルを作成します' "$work/broken.log" && fail "--data-dir did not find the ranking"
sleep 2
running "$game" || fail "the game did not wait for the message to be read"
shot missing "$window"
# Lines of text on black: not the game's picture (as wide as the window),
# and not nothing.
whole=$(convert "$work/missing.png" -format '%w' info:)
text=$(convert "$work/missing.png" -trim -format '%w' info:)
[ "$text" -gt 300 ] && [ "$text" -lt "$whole" ] || fail "no message text in the window ($text of $whole pixels)"
ended() { ! running "$game"; }
enter_until "$window" ended
if status_of "$game"; then fail "the game ended with status 0"; else code=$?; fi
[ "$code" = 1 ] || fail "the game ended with status $code, not 1"

# 7. No window manager: full screen is no request anyone answers, so the game
# covers the screen itself, and the whole picture fills 1024 x 768 in the
# middle (not the top left of it in a window of 640 x 480).
kill "$wm"
for _ in $(seq 50); do running "$wm" || break; sleep 0.1; done
"$build/solvara" --fullscreen >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
window=$(game_window "$game")
enter_until "$window" title_shown
shot no-window-manager
[ "$(size)" = 1366x768 ] || fail "without a window manager the game did not cover the screen ($(size))"
xdotool key --window "$window" Escape
status_of "$game" || fail "the game ended with status $?"
echo "desktop play: ok"
