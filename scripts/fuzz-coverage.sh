#!/usr/bin/env bash
# Source coverage that a fuzz target's corpus reaches in its parser: builds the target for
# coverage in <build dir>-coverage, replays the seeds and the corpus that scripts/fuzz.sh grew
# in <build dir>/corpus/<target>, and prints llvm-cov's report for the parser's source file.
#
#   scripts/fuzz-coverage.sh <target> [build dir]     (targets: tests/fuzz/targets.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
source scripts/fuzz-build.sh

target=${1:?usage: scripts/fuzz-coverage.sh <target> [build dir]}
build_dir=${2:-build/fuzz}
parser=$(awk -v target="$target" '$1 == target { print "src/" $3 }' tests/fuzz/targets.txt)
if [[ -z "$parser" ]]; then
    echo "fuzz-coverage: unknown target '$target' (targets:" \
        "$(awk '/^[a-z]/ { print $1 }' tests/fuzz/targets.txt | paste -sd' '))"
    exit 2
fi

coverage_dir="$build_dir-coverage"
build_fuzzer "$coverage_dir" "$target" -DZELKORA_FUZZ_COVERAGE=ON

profile="$coverage_dir/$target.profraw"
corpora=("$source_dir/tests/fuzz/corpus/$target")
[[ -d "$build_dir/corpus/$target" ]] && corpora+=("$build_dir/corpus/$target")
LLVM_PROFILE_FILE="$profile" "$coverage_dir/${target}_fuzzer" -runs=0 "${corpora[@]}" \
    >/dev/null 2>&1
llvm-profdata merge -sparse "$profile" -o "$coverage_dir/$target.profdata"
llvm-cov report "$coverage_dir/${target}_fuzzer" -instr-profile="$coverage_dir/$target.profdata" \
    "$source_dir/$parser"
