#pragma once

#include <cstddef>
#include <string>

// Flies a recorded run with the game's own check, `<game> --verify FILE`, in a child process
// with an empty environment, a scratch directory of its own and limits on CPU time, memory and
// wall time, its output capped. The rules use one random generator for the whole process, so a
// run is never flown in the process that asks; and a hostile file can at worst end the child.
class CReplayVerifier {
public:
    struct SLimits {
        int cpuSeconds = 900;                  // an hour-long run checks in far less
        std::size_t memoryBytes = 2048u << 20; // address space
        int wallSeconds = 1200;
    };

    // game: the game's program. scratch: an existing directory, in which each flight makes a
    // private one of its own (the run's file is run.zrp there) and removes it afterwards.
    CReplayVerifier(std::string game, std::string scratch, SLimits limits);

    // Flies the bytes: the check's exit code (0 matches, 1 does not, 2 cannot be checked) and
    // its verdict, the last line naming the run ("replay: run.zrp: finish 1:02.33, state
    // 3f0c9e2a71b8d456, matches"). False with why in problem when the check could not run or
    // was killed (a limit, a signal), so that it gave no verdict.
    bool Run(const std::string& bytes, std::string& line, int& exitCode,
             std::string& problem) const;

private:
    std::string game;
    std::string scratch;
    SLimits limits;
};
