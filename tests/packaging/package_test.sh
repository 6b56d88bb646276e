#!/usr/bin/env bash
# cpack -G DEB makes the game's package, the library's development package and the
# shared ranking's board package, each with its own files and dependencies, and
# lintian finds neither an error nor a warning in them.
#   package_test.sh BUILD_DIR WORK_DIR APP_ID LIBDIR GAMESDIR
set -euo pipefail
build=$1 work=$2 id=$3 libdir=$4 gamesdir=$5
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
game=$(echo "$work"/solvara_*.deb)
dev=$(echo "$work"/libvantor-dev_*.deb)
board=$(echo "$work"/solvara-board_*.deb)
[ -f "$game" ] && [ -f "$dev" ] && [ -f "$board" ] || fail "missing packages: $(ls "$work")"

game_files=(
  "usr/$gamesdir/solvara" "usr/$gamesdir/solvara-probe"
  usr/share/solvara/bmp/title.bmp usr/share/solvara/sound/bgm5.mid usr/share/solvara/sound/sou10.wav
  "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" "usr/share/mime/packages/$id.xml"
  usr/share/man/man6/solvara.6.gz usr/share/man/man6/solvara-probe.6.gz
  usr/share/doc/solvara/copyright usr/share/doc/solvara/changelog.gz usr/share/doc/solvara/docs/replay-format.md
)
for size in 32 48 64 128 256; do game_files+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png"); done
dev_files=(
  usr/include/vantor/vantor/draw/draw.h usr/include/vantor/vantor/midi/midi.h
  usr/include/vantor/platform/app.h usr/include/vantor/platform/sdl/backend.h
  "usr/$libdir/cmake/Vantor/VantorConfig.cmake" "usr/$libdir/cmake/Vantor/VantorTargets.cmake"
  usr/share/doc/libvantor-dev/copyright usr/share/doc/libvantor-dev/changelog.gz
)
for lib in system draw sound midi input platform_core platform_sdl; do dev_files+=("usr/$libdir/libvantor_$lib.a"); done

board_files=(
  usr/sbin/solvara-board usr/bin/solvara-verify usr/lib/systemd/system/solvara-board.service
  usr/share/man/man8/solvara-board.8.gz usr/share/man/man1/solvara-verify.1.gz usr/share/doc/solvara-board/copyright
  usr/share/doc/solvara-board/changelog.gz
)
dpkg-deb --contents "$board" | awk '{print $NF}' >"$work/board.list"
for f in "${board_files[@]}"; do grep -qx "./$f" "$work/board.list" || fail "$f is not in $(basename "$board")"; done
board_depends=$(dpkg-deb --field "$board" Depends)
for dep in "solvara (=" libseccomp2 libsqlite3-0 libpqxx; do
  [[ "$board_depends" == *"$dep"* ]] || fail "the board's package does not depend on $dep: $board_depends"
done
[[ "$board_depends" != *libsdl2* ]] || fail "the board's package depends on SDL: $board_depends"
dpkg-deb --contents "$game" | awk '{print $NF}' >"$work/game.list"
dpkg-deb --contents "$dev" | awk '{print $NF}' >"$work/dev.list"
for f in "${game_files[@]}"; do grep -qx "./$f" "$work/game.list" || fail "$f is not in $(basename "$game")"; done
for f in "${dev_files[@]}"; do grep -qx "./$f" "$work/dev.list" || fail "$f is not in $(basename "$dev")"; done
! grep -q '^\./usr/include/\|\.a$' "$work/game.list" || fail "library files in the game's package"
! grep -q '^\./usr/bin/\|^\./usr/games/' "$work/dev.list" || fail "programs in the library's package"
# The desktop entry starts the game by its full path: a session's PATH may lack /usr/games.
dpkg-deb --fsys-tarfile "$game" | tar -xO "./usr/share/applications/$id.desktop" >"$work/entry.desktop"
grep -qx "Exec=/usr/$gamesdir/solvara %f" "$work/entry.desktop" || fail "the desktop entry: $(grep Exec "$work/entry.desktop")"

# Debian's own checks: no error, no warning (lintian says so much as root, and nothing else;
# the files it leaves behind stay in the work folder).
mkdir -p "$work/tmp"
TMPDIR="$work/tmp" lintian --fail-on error,warning "$game" "$dev" "$board" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian"; }
! grep -v 'running with root privileges' "$work/lintian.log" || fail "lintian had something to say"

# The game's dependencies: the shared libraries found in its binaries, and what it
# finds at run time (a SoundFont, the Japanese face).
game_depends=$(dpkg-deb --field "$game" Depends)
for dep in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-image-2.0-0 libfluidsynth3 libfontconfig1 libtomlplusplus3 \
           timgm6mb-soundfont fonts-ipafont-gothic; do
  [[ "$game_depends" == *"$dep"* ]] || fail "the game's package does not depend on $dep: $game_depends"
done
dev_depends=$(dpkg-deb --field "$dev" Depends)
for dep in libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev libfluidsynth-dev libtomlplusplus-dev; do
  [[ "$dev_depends" == *"$dep"* ]] || fail "the library's package does not depend on $dep: $dev_depends"
done
dpkg-deb --field "$game" Package Version Section Depends
dpkg-deb --field "$dev" Package Version Section Depends
