# Sourced by scripts/fuzz.sh and scripts/fuzz-coverage.sh, from the top of the source tree.
#
#   build_fuzzer <build dir> <target> [cmake options]
# Configures the directory through the fuzz preset and builds the target's fuzzer. A directory
# configured from tests/fuzz alone, as it once was, is configured afresh.
build_fuzzer() {
    local dir=$1 target=$2
    shift 2
    if [[ -f "$dir/CMakeCache.txt" ]] &&
        ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$(pwd)" "$dir/CMakeCache.txt"; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    cmake --preset fuzz -B "$dir" "$@" >/dev/null
    cmake --build "$dir" --target "${target}_fuzzer" -j2 >/dev/null
}
