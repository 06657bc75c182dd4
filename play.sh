#!/usr/bin/env bash
# Installs what is missing, builds the game and its data where out of date (not the tests), and
# starts the game from its data directory, passing on any options (./play.sh --help lists them).
# Edit zelkora.ini here (difficulty, tunnel length, display mode) before playing.
set -euo pipefail
caller_directory=$(pwd)
cd "$(dirname "$0")"

scripts/deps.sh
scripts/build.sh --target zelkora zelkora_ini zelkora_assets
needs_display=1
for argument in "$@"; do
    [[ "$argument" == --help || "$argument" == --version || "$argument" == --verify* ]] &&
        needs_display=0
done
if [[ -z "${DISPLAY:-}" && $needs_display -eq 1 ]]; then
    echo "play.sh: no X display (DISPLAY is not set); Zelkora needs a desktop to open its window."
    exit 1
fi
# File names given to the game (a replay named alone, --replay, --verify, --submit) are relative
# to where play.sh was started.
export ZELKORA_CALLER_DIRECTORY="$caller_directory"
cd build/game
exec ./zelkora "$@"
