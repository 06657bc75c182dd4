#!/usr/bin/env bash
# Builds the game, its tools and every test with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer in build-sanitize/ (configured once) and runs the unit, GL and end-to-end
# tests there; the end-to-end tests then start the sanitized game. Any sanitizer report ends
# the process that made it with exit code 23, so the test fails (and so does the build, should
# the generator that the build runs make one). The fuzz targets are left to the normal run:
# they are built with the sanitizers already.
#
#   scripts/sanitize.sh [ctest options]      e.g. scripts/sanitize.sh -R Mesh
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/sanitizer-options.sh

if [[ ! -f build-sanitize/CMakeCache.txt ]]; then
    cmake --preset sanitize
fi
cmake --build --preset sanitize

cd build-sanitize
# The fault-injection runs start the game some 150 times; the normal run covers them, and here
# they would cost more time than CI has to spare. A failed test runs up to twice more:
# LeakSanitizer's own thread-stopping tracer now and then crashes at the exit check of a game
# that found nothing ("Tracer caught signal 11"; on a busy machine it was seen twice running for
# one test), while a real report comes back on every run; the failures stay in the log.
exec ../scripts/with-display.sh ctest --output-on-failure -j2 -LE fuzz -E FaultInjection \
    --repeat until-pass:3 "$@"
