// libFuzzer target: a replay file, either as the fuzzer made it or packed and summed around a
// fuzzed header and payload (see ReplayCheck.h). A refusal must say what is wrong in one line and
// leave the replay empty; an accepted replay must keep within the limits and come back the same
// through Encode and Decode: what the game writes it can always read.
#include "ReplayCheck.h"
#include "runs/Replay.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = ReplayFileFromFuzzInput(data, size);
    CReplay replay;
    std::string problem;
    if (!CReplay::Decode(bytes, replay, problem)) {
        if (problem.empty() || problem.find_first_of("\r\n") != std::string::npos ||
            !SameReplay(replay, CReplay())) {
            __builtin_trap();
        }
        return 0;
    }
    if (!problem.empty() || !ReplayIsWithinLimits(replay)) {
        __builtin_trap();
    }
    std::string written;
    CReplay again;
    if (!replay.Encode(written, problem) || !CReplay::Decode(written, again, problem) ||
        !SameReplay(again, replay)) {
        __builtin_trap();
    }
    return 0;
}
