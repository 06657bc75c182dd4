#!/usr/bin/env bash
# Runs the timedemo from the game's data directory, with an X display of its own if needed.
# Arguments go to the timedemo: --difficulty D --length L --frames N --no-culling --times FILE
# --full-resolution --whole-sprites.
#   scripts/timedemo.sh                                   # the default world
#   scripts/timedemo.sh --difficulty 1 --length 1500      # the densest
#   scripts/timedemo.sh --difficulty 9 --length 1500      # the most bendy
# Set ZELKORA_BUILD to use another build directory (build-sanitize for the soak; a sanitizer
# report then ends the run with exit code 23).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELKORA_BUILD:-$top/build}"
[[ -d "$build" ]] || { echo "timedemo: no build directory $build; build first"; exit 1; }
build="$(cd "$build" && pwd)" # the timedemo runs from its data directory below it
timedemo="$build/bench/zelkora_timedemo"
[[ -x "$timedemo" ]] || { echo "timedemo: $timedemo is missing; build first"; exit 1; }
source "$top/scripts/sanitizer-options.sh" # for a sanitized build: reports fail the run
cd "$build/game"
exec "$top/scripts/with-display.sh" "$timedemo" "$@"
