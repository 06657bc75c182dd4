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
# Mesa's software renderer runs without threads of its own here: on some processors (an AMD EPYC
# for one) LeakSanitizer's thread-stopping tracer crashes at the exit check of a clean GL test
# whenever llvmpipe's threads are alive ("Tracer caught signal 11"), every run. Without them the
# tracer has nothing to trip over, so a failure here is a real one and runs once. The
# fault-injection runs start the game some 150 times; the normal run covers them, and here they
# would cost more time than CI has to spare.
export LP_NUM_THREADS=0
exec ../scripts/with-display.sh ctest --output-on-failure -j2 -LE fuzz -E FaultInjection "$@"
