#!/usr/bin/env bash
# The real game (SDL, software OpenGL) on a virtual X display: the processor
# share of each of its threads over N seconds of the attract cycle and then N
# seconds of play with the fire key held, read from /proc/PID/task/*/stat.
#   bench/game_cpu.sh [--game PATH] [--seconds N] [--screen WxH] [-- GAME OPTIONS]
# Defaults: the build's solvara, 30 s, a 640x480 screen (the picture shown
# 1:1, full screen). The sound goes to SDL's dummy device, which still calls
# the mixer in real time. Shares are of one core: 100% is one core busy. The
# X server's share, not the game's, is listed apart: it shows the pictures.
set -euo pipefail
game=$(cd "$(dirname "$0")/.." && pwd)/build/solvara
seconds=30
screen=640x480
while [ $# -gt 0 ]; do
  case $1 in
    --game) game=$(realpath "$2"); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [--game PATH] [--seconds N] [--screen WxH] [-- GAME OPTIONS]" >&2; exit 2 ;;
  esac
done
[ -x "$game" ] || { echo "no game at $game" >&2; exit 1; }
probe=$(dirname "$game")/solvara-probe

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
  XDG_STATE_HOME="$work/home/state" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME/ranking"
# A ranking already there: no first-start message to answer.
"$probe" --home "$HOME/ranking" --frames 1 >/dev/null 2>&1

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xserver=$!
pids+=($xserver)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done

"$game" --data-dir "$HOME/ranking" "$@" >"$work/game.log" 2>&1 &
pid=$!
pids+=($pid)
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^SOLVARA 2001$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "no game window" >&2; cat "$work/game.log" >&2; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || true

# Clock ticks (user + system) of each thread: "tid name ticks" lines. A stat
# line is "tid (name) state ...", utime and stime its fields 14 and 15.
ticks() {
  cat /proc/"$pid"/task/*/stat /proc/"$xserver"/stat 2>/dev/null | awk -v xserver="$xserver" '{
    from = index($0, "("); to = match($0, /\) [^)]*$/)
    name = substr($0, from + 1, to - from - 1); gsub(/ /, "_", name)
    split(substr($0, to + 2), f, " ")
    if ($1 == xserver) name = "(X_server)"
    print $1, name, f[12] + f[13] }'
}
# The share of each thread between two `ticks` snapshots taken `elapsed` ns apart.
report() {
  local hz
  hz=$(getconf CLK_TCK)
  awk -v hz="$hz" -v ns="$3" -v what="$4" '
    FNR == NR { before[$1] = $3; next }
    { used = ($3 - before[$1]) / hz; if ($2 != "(X_server)") total += used
      printf "  %-10s %-22s %6.2f%%\n", what, $2 " " $1, 100 * used / (ns / 1e9) }
    END { printf "  %-10s %-22s %6.2f%%\n", what, "whole game", 100 * total / (ns / 1e9) }' "$1" "$2"
}
measure() {
  ticks >"$work/before"
  local start end
  start=$(date +%s%N)
  sleep "$seconds"
  ticks >"$work/after"
  end=$(date +%s%N)
  report "$work/before" "$work/after" $((end - start)) "$1"
}

# Start-up (loading every picture) is not part of either measurement.
sleep 5
echo "solvara: $game, screen $screen, ${seconds} s each, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure attract
xdotool keydown --window "$window" x
sleep 3
measure play
xdotool keyup --window "$window" x
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
kill -0 "$pid" 2>/dev/null || { echo "the game ended early" >&2; exit 1; }
