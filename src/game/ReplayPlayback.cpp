#include "game/ReplayPlayback.h"

#include "game/Records.h"
#include "game/ReplayFiles.h"

#include <cmath>
#include <utility>

CReplayPlayback::CReplayPlayback(CReplay recorded) : replay(std::move(recorded)) {}

bool CReplayPlayback::TakeCommand(char& command) {
    if (nextCommand >= replay.commands.size() || replay.commands[nextCommand].frame != next) {
        return false;
    }
    command = replay.commands[nextCommand++].command;
    return true;
}

std::unique_ptr<CReplayPlayback> CReplayPlayback::Load(const std::string& path,
                                                       std::string& problem) {
    std::string bytes;
    CReplay replay;
    if (!CReplayFiles::ReadFile(path, bytes, problem) || !CReplay::Decode(bytes, replay, problem)) {
        return nullptr;
    }
    return std::make_unique<CReplayPlayback>(std::move(replay));
}

void CReplayPlayback::CheckFrame(const CReplay::SFrame& played) {
    const CReplay::SFrame& recorded = replay.frames[next];
    ++next;
    if (divergedAt == 0 && (played.pose != recorded.pose || played.check != recorded.check)) {
        divergedAt = next;
    }
}

void CReplayPlayback::CheckEnd(bool finished, double finishClock, std::uint64_t stateHash) {
    playedFinished = finished;
    playedFinishClock = finishClock;
    playedHash = stateHash;
    const bool sameEnd = finished == replay.finished && stateHash == replay.endHash &&
                         (!finished || finishClock == replay.finishClock);
    if (divergedAt == 0 && !sameEnd) {
        divergedAt = replay.frames.size(); // every frame agreed, the end did not
    }
}

std::string CReplayPlayback::Describe(const std::string& name) const {
    if (divergedAt != 0) {
        return "replay: " + name + ": diverged at frame " + std::to_string(divergedAt);
    }
    const std::string finish =
        playedFinished ? "finish " + CRecords::FormatTime(std::llround(playedFinishClock * 1000.0))
                       : "no finish";
    return "replay: " + name + ": " + finish + ", state " + CReplay::FormatHash(playedHash) +
           ", matches";
}
