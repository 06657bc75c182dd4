#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, GL and end-to-end) under an X
# display of its own when there is none, then again in the sanitizer build (build-sanitize/);
# last it checks that the sanitizer build and a clang build play the normal build's replays.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
scripts/build.sh
(cd build && ../scripts/with-display.sh ctest --output-on-failure -j2)
# Then the same tests once more, built with the address, undefined-behaviour and leak sanitizers.
scripts/sanitize.sh
# Last, a run recorded by the normal build must play back the same in the sanitizer build and
# in the game built by clang as the fuzz targets are.
tests/scripts/replay-across-builds.sh
