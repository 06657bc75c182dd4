#pragma once

#include "runs/Replay.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A recorded run played back through the rules: each frame's step, commands and the commands
// given between frames come from the recording, and what each frame leaves of the ship and the
// game is checked against what the recording says it left. The playback stops at the first
// frame that differs: there the replay diverged. After the last frame, everything else the file
// claims (the finish, its time and state, the end state, P mode, the splits) is compared with
// what the flight showed; a claim the flight does not bear out refuses the run, naming it.
class CReplayPlayback {
public:
    // The first game version whose rules every later version up to this one shares: a replay
    // recorded by any other cannot be checked here. Moves on whenever the rules change.
    static constexpr const char* kFirstVersionOfTheseRules = "1.3.0";

    explicit CReplayPlayback(CReplay recorded);
    // The recorded run in the file; null, with why in problem, when it cannot be read, is not
    // a replay, or was recorded under other rules (both versions named).
    static std::unique_ptr<CReplayPlayback> Load(const std::string& path, std::string& problem);
    // Whether this game flies a run recorded by that version as it was flown: false with both
    // versions named in problem.
    static bool HasTheseRules(const std::string& recordedBy, std::string& problem);

    const CReplay& GetReplay() const { return replay; }
    // Every frame played, or the playback stopped at the first frame that diverged.
    bool HasEnded() const { return next >= replay.frames.size() || divergedAt != 0; }
    const CReplay::SFrame& GetNextFrame() const { return replay.frames[next]; }
    // The commands given before the next frame, one at a time: false when there are no more.
    bool TakeCommand(char& command);
    // What the flight showed besides the frames: P mode switched on before the next frame, a
    // joint disc reached (the course clock then), the finish reached in the frame just played
    // (the course clock and the state hash after it).
    void NotePModeOn();
    void NoteSplit(double courseClock);
    void NoteFinish(double courseClock, std::uint64_t stateHash);
    // The frame just played, as the game saw it; moves on to the next frame.
    void CheckFrame(const CReplay::SFrame& played);
    // After the last frame: the state it left, and every claim of the file against the flight.
    void CheckEnd(std::uint64_t stateHash);

    bool Matches() const { return HasEnded() && divergedAt == 0 && falseClaim.empty(); }
    std::size_t GetDivergedFrame() const { return divergedAt; }     // from 1; 0 when none
    const std::string& GetFalseClaim() const { return falseClaim; } // empty when none
    // "replay: <name>: finish m:ss.hh[ with P mode], state <hash>[, recorded by zelkora V],
    // matches", "replay: <name>: diverged at frame N" or "replay: <name>: <false claim>".
    std::string Describe(const std::string& name) const;
    // Whether a check's verdict line (Describe's, for a file named run.zrp) and exit code say
    // that the flight matched and ended at the header's finish time. verdict: what the line
    // says of the run, for the reason when not.
    static bool FlewAsClaimed(const std::string& line, int exitCode, const CReplay& run,
                              std::string& verdict);

private:
    std::string FindFalseClaim() const;
    std::string FindFalseFinishClaim() const;
    std::string FindFalseSplitClaim() const;

    CReplay replay;
    std::size_t next = 0;
    std::size_t nextCommand = 0;
    std::size_t divergedAt = 0;
    std::string falseClaim;
    // What the flight showed.
    std::size_t pModeFrame = 0;  // the first frame flown in P mode, from 1; 0 when none
    std::size_t finishFrame = 0; // the frame that reached the finish, from 1; 0 when none
    double playedFinishClock = 0.0;
    std::uint64_t playedFinishHash = 0;
    std::uint64_t playedHash = 0;
    std::vector<double> playedSplits;
};
