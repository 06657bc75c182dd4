#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) in their
# own build directory and runs one of them for a bounded time, one core, starting from the seed
# corpus in tests/fuzz/corpus/<target>. New inputs go to <build dir>/corpus/<target>, crashing
# ones to <build dir>/artifacts/<target>/. Exits 77 (skipped) when clang is not installed.
#
#   scripts/fuzz.sh <target> <seconds> [build dir] [-- extra libFuzzer options]
# The targets are listed in tests/fuzz/targets.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
source scripts/fuzz-build.sh
targets=$(awk '/^[a-z]/ { print $1 }' tests/fuzz/targets.txt | paste -sd' ')

if [[ $# -lt 2 ]]; then
    echo "usage: scripts/fuzz.sh <target> <seconds> [build dir] [-- libFuzzer options]" \
        "(targets: $targets)"
    exit 2
fi
target=$1
seconds=$2
shift 2
build_dir=build/fuzz
if [[ $# -gt 0 && "$1" != "--" ]]; then
    build_dir=$1
    shift
fi
[[ $# -gt 0 && "$1" == "--" ]] && shift

if [[ " $targets " != *" $target "* ]]; then
    echo "fuzz: unknown target '$target' (targets: $targets)"
    exit 2
fi
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed; skipping"
    exit 77
fi

mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
build_fuzzer "$build_dir" "$target"

corpus="$build_dir/corpus/$target"
artifacts="$build_dir/artifacts/$target/"
mkdir -p "$corpus" "$artifacts"
# libFuzzer reports a finding with 77 by default, which ctest would take for "skipped".
options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
    -max_len=8192 -error_exitcode=1 -timeout_exitcode=1 -artifact_prefix="$artifacts")
dictionary="$source_dir/tests/fuzz/$target.dict"
[[ -f "$dictionary" ]] && options+=(-dict="$dictionary")

exec "$build_dir/${target}_fuzzer" "${options[@]}" "$@" "$corpus" "$source_dir/tests/fuzz/corpus/$target"
