#!/usr/bin/env bash
# Installs what is missing, builds what is out of date, and starts the game from its data
# directory. Edit zelkora.ini here (difficulty, tunnel length, display mode) before playing.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
scripts/build.sh
if [[ -z "${DISPLAY:-}" ]]; then
    echo "play.sh: no X display (DISPLAY is not set); Zelkora needs a desktop to open its window."
    exit 1
fi
cd build/game
exec ./zelkora
