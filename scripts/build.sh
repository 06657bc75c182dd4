#!/usr/bin/env bash
# Configures (once) and builds in build/: by default everything (the game, its data directory
# build/game/, the tests and the tools); arguments go to cmake --build, e.g. --target zelkora.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ! -f build/CMakeCache.txt ]]; then
    cmake --preset default
fi
cmake --build --preset default "$@"
