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

# Leaks are reported only from our own code: the suppressions name the system's libraries.
options=(halt_on_error=1 exitcode=23 detect_leaks=1 check_initialization_order=1
    detect_stack_use_after_return=1 strict_string_checks=1)
ASAN_OPTIONS=$(IFS=:; echo "${options[*]}")
export ASAN_OPTIONS
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=23
export LSAN_OPTIONS=suppressions=$(pwd)/scripts/lsan-suppressions.txt:print_suppressions=0

if [[ ! -f build-sanitize/CMakeCache.txt ]]; then
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKORA_SANITIZE=ON
fi
cmake --build build-sanitize -j2

cd build-sanitize
# The fault-injection runs start the game some 150 times; the normal run covers them, and here
# they would cost more time than CI has to spare.
exec ../scripts/with-display.sh ctest --output-on-failure -j2 -LE fuzz -E FaultInjection "$@"
