#pragma once

#include "runs/Replay.h"

#include <cstdint>
#include <string>

// Records the run being flown, frame by frame, from its start to its finish, a quit or the next
// restart. A run that leaves the replay file's limits (a run of more than an hour, more
// commands or splits than a file holds) stops being recorded, with one line on standard output.
class CRunRecorder {
public:
    // A fresh run in that world; the clock's date and time go into it.
    void Begin(const CWorldIdentity& world, const std::string& gameVersion,
               std::int64_t recordedAt);
    bool IsRecording() const { return recording; }
    void NoteCommand(char command); // 'k' or 'p', before the next frame
    void NotePModeUsed() { run.pModeUsed = true; }
    void AddFrame(const CReplay::SFrame& frame);
    void NoteSplit(double courseClock); // seconds, when the ship reaches a joint disc
    std::size_t GetSplitCount() const { return run.splits.size(); }
    double GetRunTime() const { return runTime; } // the sum of the recorded steps
    std::size_t GetFrameCount() const { return run.frames.size(); }

    // Ends the run: true with the run in `ended` when it has frames to keep.
    bool End(bool finished, double finishClock, std::uint64_t stateHash, CReplay& ended);

private:
    void Stop(const std::string& reason);

    CReplay run;
    double runTime = 0.0;
    bool recording = false;
};
