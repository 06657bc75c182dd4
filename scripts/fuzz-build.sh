# shellcheck shell=bash
# Sourced by scripts/fuzz.sh, scripts/fuzz-coverage.sh and tests/scripts/replay-across-builds.sh,
# from the top of the source tree.
#
#   build_in_fuzz_directory <build dir> <cmake target> [cmake options]
# Configures the directory through the fuzz preset and builds the target: a fuzzer, or zelkora,
# the game built as the fuzz targets are. A directory configured from tests/fuzz alone, as it
# once was, is configured afresh. Callers that may start at once (the fuzz tests) take turns.
build_in_fuzz_directory() {
    local dir=$1 target=$2
    shift 2
    mkdir -p "$dir"
    (
        flock 9
        if [[ -f "$dir/CMakeCache.txt" ]] &&
            ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$(pwd)" "$dir/CMakeCache.txt"; then
            rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
        fi
        cmake --preset fuzz -B "$dir" "$@" >/dev/null
        cmake --build "$dir" --target "$target" -j2 >/dev/null
    ) 9>"$dir/.build.lock"
}

#   build_fuzzer <build dir> <fuzz target> [cmake options]
build_fuzzer() {
    local dir=$1 target=$2
    shift 2
    build_in_fuzz_directory "$dir" "${target}_fuzzer" "$@"
}
