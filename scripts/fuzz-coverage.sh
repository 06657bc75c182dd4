#!/usr/bin/env bash
# Source coverage that a fuzz target's corpus reaches in its parser: builds the target for
# coverage in <build dir>-coverage, replays the seeds and the corpus that scripts/fuzz.sh grew
# in <build dir>/corpus/<target>, and prints llvm-cov's report for the parser's source file.
#
#   scripts/fuzz-coverage.sh <tga|obj|records|replay> [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

target=${1:?usage: scripts/fuzz-coverage.sh <tga|obj|records|replay> [build dir]}
build_dir=${2:-build/fuzz}
case "$target" in
tga) parser=src/render/TgaImage.cpp ;;
obj) parser=src/render/Mesh.cpp ;;
records) parser=src/game/Records.cpp ;;
replay) parser=src/game/Replay.cpp ;;
*)
    echo "fuzz-coverage: unknown target '$target' (tga, obj, records or replay)"
    exit 2
    ;;
esac

coverage_dir="$build_dir-coverage"
cmake -S tests/fuzz -B "$coverage_dir" -DCMAKE_CXX_COMPILER=clang++ -DZELKORA_FUZZ_COVERAGE=ON \
    >/dev/null
cmake --build "$coverage_dir" --target "${target}_fuzzer" -j2 >/dev/null

profile="$coverage_dir/$target.profraw"
corpora=("$source_dir/tests/fuzz/corpus/$target")
[[ -d "$build_dir/corpus/$target" ]] && corpora+=("$build_dir/corpus/$target")
LLVM_PROFILE_FILE="$profile" "$coverage_dir/${target}_fuzzer" -runs=0 "${corpora[@]}" \
    >/dev/null 2>&1
llvm-profdata merge -sparse "$profile" -o "$coverage_dir/$target.profdata"
llvm-cov report "$coverage_dir/${target}_fuzzer" -instr-profile="$coverage_dir/$target.profdata" \
    "$source_dir/$parser"
