#!/usr/bin/env bash
# The real game (SDL, no graphics processor) on a virtual X display: the
# processor share of each of its threads over N seconds of the attract cycle
# and then N seconds of play with the fire key held, read from
# /proc/PID/task/*/stat, full screen on each screen size given.
#   bench/game_cpu.sh [--game PATH] [--seconds N] [--screen WxH]... [-- GAME OPTIONS]
# Defaults: the build's solvara, 30 s, a 640x480 screen (the picture shown
# 1:1). With more than one screen, the whole game's share on each is set
# against its share on the first, with the targets where there are some
# (1920x1080: at most 1.5 times 640x480's, 3840x2160: at most 3 times). The
# sound goes to SDL's dummy device, which still calls the mixer in real
# time. Shares are of one core: 100% is one core busy. The X server's share,
# not the game's, is listed apart: it shows the pictures.
set -euo pipefail
game=$(cd "$(dirname "$0")/.." && pwd)/build/solvara
seconds=30
screens=()
while [ $# -gt 0 ]; do
  case $1 in
    --game) game=$(realpath "$2"); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --screen) screens+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [--game PATH] [--seconds N] [--screen WxH]... [-- GAME OPTIONS]" >&2; exit 2 ;;
  esac
done
[ ${#screens[@]} -gt 0 ] || screens=(640x480)
declare -A targets=([1920x1080]=1.5 [3840x2160]=3)
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

# Clock ticks (user + system) of each thread of the game and of the X server:
# "tid name ticks" lines. A stat line is "tid (name) state ...", utime and
# stime its fields 14 and 15.
ticks() {
  cat /proc/"$pid"/task/*/stat /proc/"$xserver"/stat 2>/dev/null | awk -v xserver="$xserver" '{
    from = index($0, "("); to = match($0, /\) [^)]*$/)
    name = substr($0, from + 1, to - from - 1); gsub(/ /, "_", name)
    split(substr($0, to + 2), f, " ")
    if ($1 == xserver) name = "(X_server)"
    print $1, name, f[12] + f[13] }'
}
# The share of each thread between two `ticks` snapshots taken `elapsed` ns
# apart; the whole game's share also goes to the results, for the screen.
report() {
  local hz
  hz=$(getconf CLK_TCK)
  awk -v hz="$hz" -v ns="$3" -v what="$4" -v screen="$5" -v results="$work/results" '
    FNR == NR { before[$1] = $3; next }
    { used = ($3 - before[$1]) / hz; if ($2 != "(X_server)") total += used
      printf "  %-10s %-22s %6.2f%%\n", what, $2 " " $1, 100 * used / (ns / 1e9) }
    END { share = 100 * total / (ns / 1e9)
      printf "  %-10s %-22s %6.2f%%\n", what, "whole game", share
      printf "%s %s %.2f\n", screen, what, share >> results }' "$1" "$2"
}
measure() {
  ticks >"$work/before"
  local start end
  start=$(date +%s%N)
  sleep "$seconds"
  ticks >"$work/after"
  end=$(date +%s%N)
  report "$work/before" "$work/after" $((end - start)) "$1" "$2"
}

# One screen: a virtual X display of that size with a window manager, the
# game full screen on it, the attract cycle and play measured, all closed.
run_screen() {
  local screen=$1 display
  shift
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xserver=$!
  pids+=($xserver)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=":$(head -1 "$work/display")"
  exec 3>&-
  rm -f "$work/display" "$work/wm-ready"
  DISPLAY=$display openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
  local wm=$!
  pids+=($wm)
  for _ in $(seq 300); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done

  DISPLAY=$display "$game" --data-dir "$HOME/ranking" "$@" >"$work/game.log" 2>&1 &
  pid=$!
  pids+=($pid)
  local window=""
  for _ in $(seq 300); do
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^SOLVARA 2001$' 2>/dev/null | head -1) &&
      [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "no game window" >&2; cat "$work/game.log" >&2; exit 1; }
  DISPLAY=$display xdotool windowactivate --sync "$window" 2>/dev/null || true

  # Start-up (loading every picture) is not part of either measurement.
  sleep 5
  echo "solvara: $game, screen $screen, ${seconds} s each, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  measure attract "$screen"
  DISPLAY=$display xdotool keydown --window "$window" x
  sleep 3
  measure play "$screen"
  DISPLAY=$display xdotool keyup --window "$window" x
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  kill -0 "$pid" 2>/dev/null || { echo "the game ended early" >&2; exit 1; }
  kill "$pid" "$wm" "$xserver"
  wait "$pid" "$wm" "$xserver" 2>/dev/null || true
}

for screen in "${screens[@]}"; do run_screen "$screen" "$@"; done

# The whole game's share on each screen against the first.
if [ ${#screens[@]} -gt 1 ]; then
  echo
  echo "Ratios (the whole game's share on the screen over its share on ${screens[0]}; lower is better):"
  for screen in "${screens[@]:1}"; do
    for what in attract play; do
      base=$(awk -v s="${screens[0]}" -v w="$what" '$1 == s && $2 == w { print $3 }' "$work/results")
      share=$(awk -v s="$screen" -v w="$what" '$1 == s && $2 == w { print $3 }' "$work/results")
      awk -v s="$screen" -v w="$what" -v a="$share" -v b="$base" -v t="${targets[$screen]:-}" 'BEGIN {
        r = a / b
        printf "  %-10s %-8s %6.2f%% vs %6.2f%%  %5.2fx", s, w, a, b, r
        if (t != "") printf "   target at most %.1fx %s", t, (r <= t ? "met" : "MISSED")
        printf "\n" }'
    done
  done
fi
