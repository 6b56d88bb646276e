#!/usr/bin/env bash
# Installs what is missing, builds (the build also generates the pictures,
# songs and effects), and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup
./scripts/build
exec ./build/solvara "$@"
