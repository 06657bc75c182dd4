#!/usr/bin/env bash
# A run recorded by the normal build (build/) must play back to the same end in the builds that
# compile the rules differently: the sanitizer build (build-sanitize/: GCC with the sanitizers)
# and the game built as the fuzz targets are (build/fuzz/: clang with the sanitizers, for this
# machine, so fused multiply-add is in reach). The run is recorded afresh by the timedemo's
# scripted player, so that it follows the rules as they are today. The clang game is built here;
# the other two must be built already (./test.sh runs this after both).
#
#   tests/scripts/replay-across-builds.sh [frames]      (600 by default: 10 s of game time)
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$top"
frames=${1:-600}
fail() { echo "replay-across-builds: $*"; exit 1; }
command -v clang++ >/dev/null || fail "clang++ is not installed (scripts/deps.sh installs it)"

source scripts/fuzz-build.sh
source scripts/sanitizer-options.sh # a report from a sanitized game fails its check
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

ZELKORA_BUILD="$top/build" scripts/timedemo.sh --frames "$frames" --bare-frames 1 \
    --record "$scratch/scripted.zrp" >"$scratch/timedemo.txt" 2>&1 ||
    { cat "$scratch/timedemo.txt"; fail "the normal build recorded no run"; }
build_in_fuzz_directory "$top/build/fuzz" zelkora

failed=0
# The normal build first: a recording that does not play back where it was made says nothing
# about the others. All of them run among the meshes the run was recorded with, which give the
# bodies their size.
for game in build/game/zelkora build-sanitize/game/zelkora build/fuzz/game/zelkora; do
    [[ -x "$game" ]] || fail "$game is missing: build it first"
    status=0
    verdict="$(cd build/game &&
        env -u DISPLAY "$top/$game" --verify "$scratch/scripted.zrp" 2>&1)" || status=$?
    echo "replay-across-builds: $game: ${verdict//$scratch\//}"
    [[ $status -eq 0 ]] || { failed=1; echo "replay-across-builds: $game: exit code $status"; }
done
exit $failed
