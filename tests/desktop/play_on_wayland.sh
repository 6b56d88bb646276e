#!/usr/bin/env bash
# The real game in a Wayland session without a graphics processor: a headless
# wlroots compositor (sway, drawing with pixman) with a 1920 x 1080 output,
# the game on SDL's Wayland driver, OpenGL drawn by Mesa's llvmpipe. Its log
# names the driver and says how frames reach the window (the library's
# kernels into a streaming texture); its window carries the desktop file's
# id as app id; during the how-to-play demonstration the picture is
# 1440 x 1080 in the middle of the output, at output scale 1 and at scale 2,
# where it is drawn in the output's own pixels (not a half-size picture
# doubled by the compositor); SIGTERM closes it with status 0 and the
# ranking kept (a ranking nothing changed is not written again).
#   tests/desktop/play_on_wayland.sh BUILD_DIR
# Sway refuses to run as root: as root, compositor and game run as nobody.
# SOLVARA_DESKTOP_SHOTS=DIR keeps the screenshots and logs there.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${SOLVARA_DESKTOP_SHOTS:-}" ]; then
    mkdir -p "$SOLVARA_DESKTOP_SHOTS"
    cp "$work"/*.png "$work"/*.log "$work/home/debug.log" "$SOLVARA_DESKTOP_SHOTS/" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/sway.log "$work"/game.log; do
    [ -f "$log" ] && { echo "--- $(basename "$log")"; tail -20 "$log"; } >&2
  done
  exit 1
}

as_player=()
[ "$(id -u)" -eq 0 ] && as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
player() { "${as_player[@]}" "$@"; }

# The game and its assets where the player can read them, and the player's
# own folders.
mkdir -p "$work/game" "$work/home" "$work/run"
cp "$build/solvara" "$build/solvara-probe" "$work/game/"
cp -r "$build/bmp" "$build/sound" "$build/icons" "$work/game/"
chmod -R a+rX "$work/game"
chmod 700 "$work/run"
# The player writes the screenshots beside them.
[ "$(id -u)" -eq 0 ] && chown 65534:65534 "$work" "$work/home" "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/home/data"
export XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state"
unset DISPLAY WAYLAND_DISPLAY
ranking="$XDG_DATA_HOME/solvara/score.dat"
# A ranking already there: no first-start message waiting for a key (the
# session has no keyboard).
player "$work/game/solvara-probe" --home "$XDG_DATA_HOME/solvara" --frames 1 >/dev/null 2>&1
[ -f "$ranking" ] || fail "the runner made no ranking"
cp "$ranking" "$work/ranking-before"

printf 'xwayland disable\noutput HEADLESS-1 mode 1920x1080\n' >"$work/sway.conf"
chmod 644 "$work/sway.conf"
# (Started without the function, so that $! is the program itself.)
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_player[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' | head -1)
  [ -n "$socket" ] && [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && break
  sleep 0.1
done
[ -n "$socket" ] || fail "sway did not start"
export SWAYSOCK=$socket WAYLAND_DISPLAY=wayland-1

SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy \
  "${as_player[@]}" "$work/game/solvara" --log "$HOME/debug.log" >"$work/game.log" 2>&1 &
game=$!
pids+=($game)
running() { kill -0 "$game" 2>/dev/null; }

# The window, by the app id the desktop knows the game by.
for _ in $(seq 600); do
  running || fail "the game ended before its window showed"
  player swaymsg -t get_tree >"$work/tree.json" 2>/dev/null || true
  grep -q '"app_id": "org.solvara.Solvara2001"' "$work/tree.json" && break
  sleep 0.1
done
grep -q '"app_id": "org.solvara.Solvara2001"' "$work/tree.json" || fail "no window with the game's app id"

shot() { player grim "$work/$1.png" 2>/dev/null; }
# The picture's place on the output: the box around everything not black.
box() { convert "$work/$1.png" -trim -format '%wx%h%X%Y' info:; }
# The demonstration shows the stage's metal ceiling at the top (the title
# shows the dark sky there): its strip is bright.
demonstrating() {
  local mean
  mean=$(convert "$work/$1.png" -crop 1440x30+240+10 -colorspace gray -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.25) }'
}
# Drawn in the output's own pixels: a picture the compositor had doubled
# would be made of 2 x 2 blocks of one colour, and take no harm from
# keeping one pixel of each block.
fine_grained() {
  local changed
  convert "$work/$1.png" -sample 50% -sample 200% "$work/$1-blocks.png"
  changed=$(compare -metric AE "$work/$1.png" "$work/$1-blocks.png" null: 2>&1 || true)
  rm -f "$work/$1-blocks.png"
  [ "${changed%%.*}" -gt 100000 ]
}

# 1. Scale 1: the title (some 12 s), then the demonstration.
for _ in $(seq 120); do
  running || fail "the game ended"
  shot scale1 && demonstrating scale1 && break
  sleep 0.5
done
demonstrating scale1 || fail "no how-to-play demonstration on the screen"
[ "$(box scale1)" = 1440x1080+240+0 ] || fail "at scale 1 the picture is $(box scale1), not 1440x1080+240+0"

# 2. Scale 2 (the compositor doubling with nearest neighbour, if doubling).
player swaymsg output HEADLESS-1 scale 2 scale_filter nearest >/dev/null
ok=no
for _ in $(seq 40); do
  sleep 0.5
  shot scale2 && [ "$(box scale2)" = 1440x1080+240+0 ] && fine_grained scale2 && ok=yes && break
done
[ "$ok" = yes ] || fail "at scale 2 the picture is $(box scale2), or doubled by the compositor"
demonstrating scale2 || fail "the demonstration was over before the scale 2 screenshot"

grep -aq '^video: SDL wayland' "$HOME/debug.log" || fail "the log does not name the video driver"
grep -aq 'SDL wayland / .*frames scaled by the library.s kernels' "$HOME/debug.log" ||
  fail "the log does not say how frames reach the window: $(grep -a 'SDL ' "$HOME/debug.log")"

# 3. SIGTERM closes the game as Escape does: status 0, the ranking kept.
kill -TERM "$game"
status=0
wait "$game" || status=$?
[ "$status" = 0 ] || fail "after SIGTERM the game ended with status $status"
cmp -s "$ranking" "$work/ranking-before" || fail "the ranking was not kept as it was"
echo "wayland play: ok"
