#pragma once

#include "base/ReplayVerifier.h"
#include "runs/Replay.h"

#include <cstddef>
#include <string>

// Checks a submitted replay before it counts: read by the game's own strict reader, judged for
// what the board takes (this game version, a finish, no P mode, no 60 frames flown in less than
// 0.98 s), then flown again by the game itself (`zelkora --verify`) in a child process with an
// empty environment, a scratch directory of its own, and limits on CPU time, memory and wall
// time, so that neither the rules' one random generator nor a hostile file can touch the server.
class CRunChecker {
public:
    using SLimits = CReplayVerifier::SLimits;

    enum class EVerdict {
        Counts,
        Unreadable,    // 400: not a replay the game reads
        OtherVersion,  // 409
        NotEligible,   // 422: read, but no run the board takes, or it did not verify
        CouldNotCheck, // 500: the checker itself failed (killed by a limit, not started)
    };

    struct SResult {
        EVerdict verdict = EVerdict::CouldNotCheck;
        std::string reason; // one line, for the player
        CReplay replay;     // read from the bytes; its header proven when it counts, its
                            // node count the world's as built
    };

    // verifier: the game binary. scratch: where each check gets a directory of its own.
    CRunChecker(std::string verifier, std::string scratch, SLimits limits);

    SResult Check(const std::string& bytes) const; // Read, then Fly what may count

    // The cheap half, without a child: the file read and judged. Counts here means only that it
    // is worth flying.
    SResult Read(const std::string& bytes) const;
    // The costly half: the game flies it; the verdict and reason are set from what it said.
    void Fly(const std::string& bytes, SResult& result) const;

    static constexpr int kPacingFrames = 60;
    static constexpr double kShortestPacingSeconds = 0.98;
    // The first frame (1-based) of kPacingFrames in a row flown in less than
    // kShortestPacingSeconds, with their seconds; 0 when there is none. Each step counts as the
    // rules bound it (CGame::kLongestRulesStep).
    static std::size_t FindFastFrames(const CReplay& replay, double& seconds);

private:
    CReplayVerifier verifier;
};
