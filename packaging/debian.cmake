# cpack -G DEB: the game's package and the library's development package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME solvara)
set(CPACK_PACKAGE_VENDOR "The SOLVARA 2001 developers")
set(CPACK_PACKAGE_CONTACT "${SOLVARA_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${SOLVARA_HOMEPAGE}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL game dev board)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME solvara)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# Both packages come from one source, whose changelog each carries (packaging/changelog.in).
set(CPACK_DEBIAN_GAME_PACKAGE_SOURCE solvara)
set(CPACK_DEBIAN_DEV_PACKAGE_SOURCE solvara)
# Found at run time, not linked: a General MIDI SoundFont and the Japanese face of the texts.
# TimGM6mb itself, not any SoundFont: the runner's recordings (--wav) are made with it, so
# that a run gives the same sound everywhere; the game prefers FluidR3_GM when installed.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "timgm6mb-soundfont, fonts-ipafont-gothic")
set(CPACK_DEBIAN_GAME_PACKAGE_SUGGESTS "fluid-soundfont-gm")
set(CPACK_DEBIAN_GAME_DESCRIPTION "horizontally scrolling space shooter
SOLVARA 2001: steer a ship through two scripted stages against waves of
enemies and three bosses, collect power-ups and extra ships, and keep your
place in the seven-row high-score ranking. Keyboard or gamepad; full screen
scaled to any display, or a window.
.
The package also holds solvara-probe, which runs the game without a screen
on a virtual clock, for replaying key scripts and checking games.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvantor-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "libsdl2-dev, libsdl2-ttf-dev, libsdl2-image-dev, libfontconfig-dev, libfluidsynth-dev, libtomlplusplus-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "Vantor game library (development files)
Vantor is the small game library SOLVARA 2001 is written on: graphics with
software blend, zoom and rotation, WAV sound effects, a Standard MIDI File
sequencer played through FluidSynth, keyboard and gamepad input, and a
debug log and profiler, on SDL2.
.
This package holds the headers, the static libraries and the CMake package:
find_package(Vantor) gives the target Vantor::vantor.")

set(CPACK_DEBIAN_BOARD_PACKAGE_NAME solvara-board)
set(CPACK_DEBIAN_BOARD_PACKAGE_SECTION net)
# The verifier plays the game's own pictures, songs and effects; pg_dump backs up a
# PostgreSQL board.
set(CPACK_DEBIAN_BOARD_PACKAGE_DEPENDS "solvara (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_BOARD_PACKAGE_SUGGESTS "postgresql-client, nginx")
set(CPACK_DEBIAN_BOARD_DESCRIPTION "shared ranking server for SOLVARA 2001
solvara-board keeps a ranking of SOLVARA 2001 games shared by everyone who
sends games to it. A game is sent as its replay, and its score counts only
when the replay, played again from a new game's start by the sandboxed
solvara-verify, reaches the same score and world. The ranking is served as
JSON and as web pages without JavaScript; the games are kept in SQLite or
PostgreSQL.")

set(SOLVARA_PROGRAMS "${CMAKE_BINARY_DIR}/solvara ${CMAKE_BINARY_DIR}/solvara-probe")
set(SOLVARA_BOARD_PROGRAMS "${CMAKE_BINARY_DIR}/solvara-board ${CMAKE_BINARY_DIR}/solvara-verify")
configure_file(shlibdeps.cmake.in shlibdeps.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/shlibdeps.cmake)

include(CPack)
