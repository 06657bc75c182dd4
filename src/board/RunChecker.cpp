#include "board/RunChecker.h"

#include "base/Version.h"
#include "game/Game.h"
#include "runs/ReplayPlayback.h"
#include "world/Tunnel.h"

#include <algorithm>
#include <utility>

CRunChecker::CRunChecker(std::string verifier, std::string scratch, SLimits limits)
    : verifier(std::move(verifier), std::move(scratch), limits) {}

std::size_t CRunChecker::FindFastFrames(const CReplay& replay, double& seconds) {
    const auto& frames = replay.frames;
    // A step counts as the flight uses it: one long frame covers no more than one frame's
    // flight, so it cannot hide many frames flown too fast around it.
    const auto flown = [&frames](std::size_t i) {
        return std::min(frames[i].step, CGame::kLongestRulesStep);
    };
    double window = 0.0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        window += flown(i);
        if (i >= static_cast<std::size_t>(kPacingFrames)) {
            window -= flown(i - kPacingFrames);
        }
        if (i + 1 >= static_cast<std::size_t>(kPacingFrames) && window < kShortestPacingSeconds) {
            seconds = window;
            return i + 2 - kPacingFrames;
        }
    }
    return 0;
}

CRunChecker::SResult CRunChecker::Check(const std::string& bytes) const {
    SResult result = Read(bytes);
    if (result.verdict == EVerdict::Counts) {
        Fly(bytes, result);
    }
    return result;
}

CRunChecker::SResult CRunChecker::Read(const std::string& bytes) const {
    SResult result;
    std::string problem;
    if (!CReplay::Decode(bytes, result.replay, problem)) {
        result.verdict = EVerdict::Unreadable;
        result.reason = "not a replay: " + problem;
        return result;
    }
    const CReplay& replay = result.replay;
    result.verdict = EVerdict::NotEligible;
    if (replay.gameVersion != GetGameVersion()) {
        result.verdict = EVerdict::OtherVersion;
        result.reason = "recorded by zelkora " + replay.gameVersion +
                        "; this board checks zelkora " + GetGameVersion();
        return result;
    }
    if (!replay.finished) {
        result.reason = "the run did not reach the finish";
        return result;
    }
    if (replay.pModeUsed) {
        result.reason = "the run used P mode";
        return result;
    }
    // The world is the one its difficulty, length and seed build, whatever the header says.
    const int built =
        CTunnel::CountRings(replay.world.difficulty, replay.world.length, replay.world.seed);
    if (replay.world.nodes != 0 && replay.world.nodes != built) {
        result.reason = "the header says " + std::to_string(replay.world.nodes) +
                        " path nodes; its difficulty, length and seed build " +
                        std::to_string(built);
        return result;
    }
    result.replay.world.nodes = built;
    double seconds = 0.0;
    if (const std::size_t first = FindFastFrames(replay, seconds)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "frames %zu to %zu were flown in %.3f s: faster than the game's 60 a second",
                      first, first + kPacingFrames - 1, seconds);
        result.reason = text;
        return result;
    }
    result.verdict = EVerdict::Counts;
    return result;
}

void CRunChecker::Fly(const std::string& bytes, SResult& result) const {
    const CReplay& replay = result.replay;
    std::string problem;
    std::string line;
    int exitCode = -1;
    if (!verifier.Run(bytes, line, exitCode, problem)) {
        result.verdict = EVerdict::CouldNotCheck;
        result.reason = problem;
        return;
    }
    std::string verdict;
    if (!CReplayPlayback::FlewAsClaimed(line, exitCode, replay, verdict)) {
        result.verdict = EVerdict::NotEligible;
        result.reason = "did not verify: " + (verdict.empty() ? "no verdict" : verdict);
    }
}
