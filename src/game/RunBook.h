#pragma once

#include "base/SaveQueue.h"
#include "runs/RunRecorder.h"
#include "world/WorldIdentity.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CGhost;
class CInput;
class CRecords;
class CReplayFiles;
class CReplayPlayback;

// The run's book: what the run flown now leaves behind and what it is measured against. It
// owns the recorder, the last run that ended, how far this run got (its time, the joint discs
// passed, the finish and whether it set a new best), the ghost of the world's best run and the
// ghost of a new best waiting for the next restart. It judges a finish at once and hands the
// records and replays to be saved to a thread of its own, in order, so that no frame waits for
// a lock or a disk; and it checks a recording being played back frame by frame.
class CRunBook {
public:
    explicit CRunBook(bool drawsGhosts); // drawsGhosts: ghosts load the ship's mesh
    ~CRunBook();
    CRunBook(const CRunBook&) = delete;
    CRunBook& operator=(const CRunBook&) = delete;

    // Kept by the caller, set before the world is built.
    void SetRecords(CRecords* table) { records = table; }
    void SetReplayFiles(CReplayFiles* files) { replayFiles = files; }
    void SetPlayback(CReplayPlayback* recorded) { playback = recorded; }
    CReplayPlayback* GetPlayback() const { return playback; }
    CRecords* GetRecords() const { return records; }

    // Once, for the world the game starts in: a world a replay cannot hold gives one line on
    // standard error, and its runs are not recorded.
    void CheckRecordable(const CWorldIdentity& world);
    // The world's best run, when there is one recorded under these rules; one of other rules
    // (kept on disk) gives one line and no ghost.
    void LoadGhost(const CWorldIdentity& world);
    void ForgetGhosts();     // another world is built
    void PromoteNextGhost(); // a restart: a new best flies from now on, unless the ghost is faster
    void UseGhost(std::unique_ptr<CGhost> best); // a run of this world from elsewhere, at once

    void Begin(const CWorldIdentity& world); // a run sets out: recorded unless played back
    // The run flown so far ends here: saved as the last run. clock: the course clock.
    void End(double clock, std::uint64_t stateHash);

    void AddStep(double step) { runTime += step; }
    // The ship is at or past the finish mark: true in the first frame it is, when the finish
    // is judged at the end of the frame.
    bool ReachFinish();
    // The joint discs the ship at `node` has reached since the last call, each a split noted
    // at clock; true with the last one's split against the ghost, when there is one to show.
    bool PassDiscs(int node, const std::vector<int>& jointNodes, int finishNode, double clock,
                   double& ghostSplit);
    // What the frame left, recorded or checked against the recording. True in the frame that
    // reached the finish, whose message GetFinishText then holds. pModeUsed: in this run.
    bool EndFrame(const CReplay::SFrame& frame, double clock, std::uint64_t stateHash,
                  const CWorldIdentity& world, bool pModeUsed);
    const std::string& GetFinishText() const { return finishText; } // shown from the finish on
    void ClearFinishText() { finishText.clear(); }
    // The run's course clock at each joint disc before the finish it passed, in course order,
    // as the ghost's splits count them; kept whether or not the run is recorded.
    const std::vector<double>& GetCourseSplits() const { return courseSplits; }
    bool IsNewBest() const { return newBest; } // the run that finished set the world's record
    // The world's best time before the run that finished, milliseconds; -1 for none known.
    long long GetPreviousBest() const { return previousBest; }

    // The six command flags as CReplay::ECommand bits, read off the input; and a recording's
    // flags held on it instead of the keys and pads held now.
    static std::uint8_t ReadCommands(const CInput& input);
    static void HoldRecordedFlags(std::uint8_t recorded, CInput& input);

    // The p and k of the player, noted before the next frame.
    void NoteCommand(char command) { recorder.NoteCommand(command); }
    void NotePModeUsed() { recorder.NotePModeUsed(); }

    // Waits at most that long for every save handed over, the records' waiting ones tried once
    // more; false, with one line, when it gave up (the saves are then left to end with the
    // process: the records and the replay files must then never be freed).
    bool WaitForSaves(std::chrono::milliseconds limit);

    const CReplay* GetLastRun() const { return lastRun.get(); }
    const std::shared_ptr<const CReplay>& GetLastRunShared() const { return lastRun; }
    const CGhost* GetGhost() const { return ghost.get(); }
    const CGhost* GetShownGhost() const { return ghostShown ? ghost.get() : nullptr; }
    void SetGhostShown(bool shown) { ghostShown = shown; }
    bool IsGhostShown() const { return ghostShown; }
    double GetRunTime() const { return runTime; } // seconds of frames since the run began

private:
    void Finish(double clock, std::uint64_t stateHash, const CWorldIdentity& world, bool pModeUsed);
    // Saved as the last run; a new best flies from the restart.
    void KeepRun(const std::shared_ptr<const CReplay>& ended);
    // The finish's message; claims the time and hands its saving over. run: its recording, or
    // null.
    std::string FinishMessage(const std::shared_ptr<const CReplay>& run, double clock,
                              const CWorldIdentity& world, bool pModeUsed);

    bool drawsGhosts;
    CRecords* records = nullptr;
    CReplayFiles* replayFiles = nullptr;
    CReplayPlayback* playback = nullptr;
    CRunRecorder recorder;
    std::shared_ptr<const CReplay> lastRun; // shared with the save of it
    bool recordable = true;                 // the world lies within what a replay file holds
    bool finishedRun = false;               // the finish was reached in this run
    bool finishThisFrame = false;
    bool newBest = false; // this run set the world's record
    double runTime = 0.0;
    std::size_t discsPassed = 0;
    std::vector<double> courseSplits;
    long long previousBest = -1;
    std::string finishText; // decided once at the finish, then shown every frame
    std::unique_ptr<CGhost> ghost;
    std::unique_ptr<CGhost> nextGhost;
    bool ghostFromElsewhere = false; // UseGhost's: a new best replaces it only when faster
    bool ghostShown = true;
    CSaveQueue saves; // last: its thread ends first, with every save done
};
