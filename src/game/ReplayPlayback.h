#pragma once

#include "game/Replay.h"

#include <cstdint>
#include <memory>
#include <string>

// A recorded run played back through the rules: each frame's step, commands and the commands
// given between frames come from the recording, and what each frame leaves of the ship and the
// game is checked against what the recording says it left. The first frame that differs is
// where the replay diverged.
class CReplayPlayback {
public:
    explicit CReplayPlayback(CReplay recorded);
    // The recorded run in the file; null, with why in problem, when it cannot be read or is
    // not a replay.
    static std::unique_ptr<CReplayPlayback> Load(const std::string& path, std::string& problem);

    const CReplay& GetReplay() const { return replay; }
    bool HasEnded() const { return next >= replay.frames.size(); } // every frame played
    const CReplay::SFrame& GetNextFrame() const { return replay.frames[next]; }
    // The commands given before the next frame, one at a time: false when there are no more.
    bool TakeCommand(char& command);
    // The frame just played, as the game saw it; moves on to the next frame.
    void CheckFrame(const CReplay::SFrame& played);
    // After the last frame: how the played run ended.
    void CheckEnd(bool finished, double finishClock, std::uint64_t stateHash);

    bool Matches() const { return HasEnded() && divergedAt == 0; }
    std::size_t GetDivergedFrame() const { return divergedAt; } // from 1; 0 when none
    // "replay: <name>: finish m:ss.hh, state <hash>, matches" or
    // "replay: <name>: diverged at frame N".
    std::string Describe(const std::string& name) const;

private:
    CReplay replay;
    std::size_t next = 0;
    std::size_t nextCommand = 0;
    std::size_t divergedAt = 0;
    bool playedFinished = false;
    double playedFinishClock = 0.0;
    std::uint64_t playedHash = 0;
};
