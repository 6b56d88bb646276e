#!/usr/bin/env bash
# The shared ranking under load on this machine, and the verifier's speed.
#   bench/board_load.sh [BUILD_DIR]
# 1. A board (SQLite) with a few ranked games; wrk -t1 -c64 -d10s on /api/ranking:
#    requests per second and the latency percentiles (the goal: p99 under 50 ms).
#    wrk's 64 connections come from one address: the board allows them.
# 2. The same board under attack from 127.0.0.2 on (bench/board_attack.cpp, 8
#    connections an address, each opened again when closed), while readers on
#    127.0.0.1 read the ranking (wrk -t1 -c8 -d10s): 70 and 500 connections
#    trickling their request heads, 2 and 64 sending chunked bodies of 256 MiB.
#    The readers' p99 (the goal: under 50 ms) and the board's resident memory.
# 3. The same replay verified by solvara-verify and by the drawing runner
#    (solvara-probe --replay --verify): frames per second, start-up included and not.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
board=
trap '[ -n "$board" ] && kill "$board" 2>/dev/null; rm -rf "$work"' EXIT
command -v wrk >/dev/null || { echo "wrk is needed (Debian package wrk)" >&2; exit 1; }

"$build/solvara-board" --data "$work/data" --listen 127.0.0.1:0 --connections-per-address 64 2>"$work/board.log" &
board=$!
for _ in $(seq 100); do grep -qs 'listening on' "$work/board.log" && break; sleep 0.05; done
url=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/board.log")
for seed in 5 11 7 13; do
  "$build/solvara-probe" --bot --seed $seed --frames 2400 --record "$work/$seed.rpl" >/dev/null 2>&1
  "$build/solvara-probe" --submit "$work/$seed.rpl" --server "$url" --name "Pilot $seed" --home "$work/home"
done
echo "== wrk -t1 -c64 -d10s --latency $url/api/ranking"
wrk -t1 -c64 -d10s --latency "$url/api/ranking" | grep -E 'Requests/sec|Latency|50%|75%|90%|99%|requests in|Non-2xx'

resident() { awk '$1 == "VmRSS:" { r = $2 } $1 == "VmHWM:" { h = $2 } END { printf "%d MiB (peak so far %d MiB)", r / 1024, h / 1024 }' "/proc/$board/status"; }
readers() {  # LABEL: wrk's readers' requests per second and p99, the board's memory
  wrk -t1 -c8 -d10s --latency "$url/api/ranking" >"$work/wrk.txt"
  awk -v label="$1" -v mem="$(resident)" '$1 == "Requests/sec:" { r = $2 } $1 == "99%" { p = $2 } /Non-2xx/ { n = $NF }
    END { printf "%-26s readers: %6d requests/s, p99 %8s%s; board resident %s\n", label, r, p, n ? ", " n " not 200" : "", mem }' "$work/wrk.txt"
}
echo "== under attack from 127.0.0.2 on; readers: wrk -t1 -c8 -d10s on 127.0.0.1"
readers "no attack"
for attack in "slow 70" "slow 500" "chunked 2" "chunked 64"; do
  set -- $attack
  "$build/board_attack" "$1" "${url##*:}" "$2" 13 >"$work/attack.txt" &
  sleep 2  # the attack at its full size
  readers "$1, $2 connections"
  wait $!
  echo "    $(cat "$work/attack.txt")"
done

echo "== a replay verified: solvara-verify against the drawing runner"
printf '30 Z\n40-9000 Up+X\n' >"$work/keys.txt"
"$build/solvara-probe" --keys "$work/keys.txt" --frames 6000 --record "$work/long.rpl" --home "$work/home" >/dev/null 2>&1
frames=$("$build/solvara-verify" --identify <"$work/long.rpl" | sed -n 's/^frames //p')
best() {  # the shortest of three runs, in seconds
  local t b=999
  for _ in 1 2 3; do
    /usr/bin/time -f %e -o "$work/time" "$@" >/dev/null 2>&1 || true
    t=$(tail -1 "$work/time")
    b=$(echo "$t $b" | awk '{print ($1 < $2) ? $1 : $2}')
  done
  echo "$b"
}
verify=$(best sh -c "'$build/solvara-verify' <'$work/long.rpl' | cat")
verify0=$(best sh -c "'$build/solvara-verify' </dev/null | cat")
probe=$(best "$build/solvara-probe" --replay "$work/long.rpl" --verify --home "$work/home")
probe0=$(best "$build/solvara-probe" --frames 0 --home "$work/home")
awk -v f="$frames" -v v="$verify" -v v0="$verify0" -v p="$probe" -v p0="$probe0" 'BEGIN {
  printf "%d frames: solvara-verify %.2f s (start-up %.2f s), runner %.2f s (start-up %.2f s)\n", f, v, v0, p, p0
  printf "frames per second: verifier %.0f, runner %.0f, ratio %.2f; without start-up %.0f and %.0f, ratio %.2f\n",
    f / v, f / p, p / v, f / (v - v0), f / (p - p0), (p - p0) / (v - v0)
}'
