#include "game/RunBook.h"

#include "app/Input.h"
#include "base/Version.h"
#include "game/Ghost.h"
#include "runs/Records.h"
#include "runs/ReplayFiles.h"
#include "runs/ReplayPlayback.h"

#include <cstdio>
#include <ctime>
#include <utility>

CRunBook::CRunBook(bool drawsGhosts) : drawsGhosts(drawsGhosts) {}

CRunBook::~CRunBook() = default;

void CRunBook::CheckRecordable(const CWorldIdentity& world) {
    std::string outside;
    recordable = world.CheckLimits(outside);
    if (!recordable && playback == nullptr) {
        // Not on standard output: the start-up lines there are the game's own.
        std::fprintf(stderr,
                     "zelkora: replay: %s is outside what a replay holds, runs are not "
                     "recorded\n",
                     outside.c_str());
    }
}

void CRunBook::LoadGhost(const CWorldIdentity& world) {
    if (replayFiles == nullptr || playback != nullptr || !recordable) {
        return;
    }
    const auto best = replayFiles->LoadBest(world);
    std::string otherRules;
    if (best && !CReplayPlayback::HasTheseRules(best->gameVersion, otherRules)) {
        // The best of older rules may be one no run can match now: no ghost to chase.
        std::printf("replays: %s: recorded under other rules than this game's, playing without "
                    "a ghost\n",
                    replayFiles->GetBestPath(world).c_str());
        std::fflush(stdout);
    } else if (best) {
        ghost = std::make_unique<CGhost>(*best);
        if (drawsGhosts) {
            ghost->LoadMesh();
        }
    }
}

void CRunBook::ForgetGhosts() {
    ghostFromElsewhere = false;
    ghost.reset();
    nextGhost.reset();
}

void CRunBook::PromoteNextGhost() {
    // A new best beats the world's best replay; a run from elsewhere may still be faster.
    if (nextGhost &&
        (!ghostFromElsewhere || nextGhost->GetFinishClock() < ghost->GetFinishClock())) {
        ghost = std::move(nextGhost);
        ghostFromElsewhere = false;
    }
    nextGhost.reset();
}

void CRunBook::UseGhost(std::unique_ptr<CGhost> best) {
    if (drawsGhosts) {
        best->LoadMesh();
    }
    ghost = std::move(best);
    ghostFromElsewhere = true;
}

void CRunBook::Begin(const CWorldIdentity& world) {
    runTime = 0.0;
    finishedRun = false;
    finishThisFrame = false;
    newBest = false;
    discsPassed = 0;
    courseSplits.clear();
    previousBest = -1;
    if (playback == nullptr && recordable) {
        recorder.Begin(world, GetGameVersion(), static_cast<std::int64_t>(std::time(nullptr)));
    }
}

void CRunBook::End(double clock, std::uint64_t stateHash) {
    CReplay ended;
    if (recorder.End(finishedRun, clock, stateHash, ended)) {
        KeepRun(std::make_shared<const CReplay>(std::move(ended)));
    }
}

bool CRunBook::WaitForSaves(std::chrono::milliseconds limit) {
    if (records != nullptr) {
        CRecords* table = records;
        saves.Post([table] { table->Flush(); });
    }
    if (saves.Wait(limit)) {
        return true;
    }
    std::fprintf(
        stderr,
        "zelkora: still saving records and replays after %lld s, quitting "
        "without them\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
    saves.Abandon();
    return false;
}

bool CRunBook::ReachFinish() {
    if (finishedRun) {
        return false;
    }
    finishedRun = true;
    finishThisFrame = true; // the time is judged once the frame is recorded
    return true;
}

bool CRunBook::PassDiscs(int node, const std::vector<int>& jointNodes, int finishNode, double clock,
                         double& ghostSplit) {
    bool split = false;
    while (discsPassed < jointNodes.size() && node >= jointNodes[discsPassed]) {
        if (playback != nullptr) {
            playback->NoteSplit(clock);
        } else {
            recorder.NoteSplit(clock);
        }
        const bool atFinish = jointNodes[discsPassed] >= finishNode;
        if (!atFinish) {
            courseSplits.push_back(clock);
        }
        if (ghost && ghostShown && ghost->GetSplit(discsPassed) >= 0.0 && !atFinish) {
            ghostSplit = clock - ghost->GetSplit(discsPassed);
            split = true;
        }
        ++discsPassed;
    }
    return split;
}

bool CRunBook::EndFrame(const CReplay::SFrame& frame, double clock, std::uint64_t stateHash,
                        const CWorldIdentity& world, bool pModeUsed) {
    const bool finishNow = finishThisFrame;
    finishThisFrame = false;
    if (playback != nullptr) {
        playback->CheckFrame(frame);
        if (finishNow) {
            playback->NoteFinish(clock, stateHash);
            finishText = FinishMessage(nullptr, clock, world, pModeUsed);
        }
        if (playback->HasEnded()) { // a replay ends with its recording, not at the finish
            playback->CheckEnd(stateHash);
        }
    } else {
        recorder.AddFrame(frame);
        if (finishNow) {
            // The run ends at the finish: what follows is the ship coasting to a stop.
            Finish(clock, stateHash, world, pModeUsed);
        }
    }
    return finishNow;
}

void CRunBook::Finish(double clock, std::uint64_t stateHash, const CWorldIdentity& world,
                      bool pModeUsed) {
    CReplay ended;
    std::shared_ptr<const CReplay> run;
    if (recorder.End(true, clock, stateHash, ended)) {
        run = std::make_shared<const CReplay>(std::move(ended));
    }
    finishText = FinishMessage(run, clock, world, pModeUsed);
    if (run) {
        KeepRun(run);
    }
}

void CRunBook::KeepRun(const std::shared_ptr<const CReplay>& ended) {
    if (replayFiles != nullptr) {
        CReplayFiles* files = replayFiles;
        saves.Post([files, ended] { files->SaveLast(*ended); });
    }
    if (newBest) {
        nextGhost = std::make_unique<CGhost>(*ended);
        if (drawsGhosts) {
            nextGhost->LoadMesh();
        }
    }
    lastRun = ended;
}

std::string CRunBook::FinishMessage(const std::shared_ptr<const CReplay>& run, double clock,
                                    const CWorldIdentity& world, bool pModeUsed) {
    if (records == nullptr || playback != nullptr) {
        return "AUS:MAUS";
    }
    const long long milliseconds = CRecords::ToMilliseconds(clock);
    const std::string time = "AUS:MAUS\n" + CRecords::FormatTime(milliseconds);
    const CRecords::SWorld recordsWorld = CRecords::SWorld::Of(world);
    previousBest = records->GetBest(recordsWorld);
    if (pModeUsed) {
        return time + " NOT RECORDED";
    }
    if (records->Claim(recordsWorld, milliseconds)) {
        newBest = true;
        // The best replay is written while the records are locked, so that two games finishing
        // the same world at once leave the replay of the time the records keep.
        CRecords* table = records;
        CReplayFiles* files = replayFiles;
        saves.Post([table, files, run, recordsWorld, milliseconds] {
            table->SaveClaim(recordsWorld, milliseconds, [files, run] {
                if (files != nullptr && run) {
                    files->SaveBest(*run);
                }
            });
        });
        return time + " NEW BEST";
    }
    // The best as it stands now, another game's perhaps. None although this is no new best: a
    // world the table cannot hold, already said in a line.
    const long long best = records->GetBest(recordsWorld);
    return best < 0 ? time : time + " BEST " + CRecords::FormatTime(best);
}

// The keys and pads held now do not count.
void CRunBook::HoldRecordedFlags(std::uint8_t recorded, CInput& input) {
    input.Clear();
    CInput::SPadCommands held;
    held.up = (recorded & CReplay::kUp) != 0;
    held.down = (recorded & CReplay::kDown) != 0;
    held.left = (recorded & CReplay::kLeft) != 0;
    held.right = (recorded & CReplay::kRight) != 0;
    held.fire = (recorded & CReplay::kFire) != 0;
    held.accelerate = (recorded & CReplay::kAccelerate) != 0;
    input.SetPadCommands(held);
}

std::uint8_t CRunBook::ReadCommands(const CInput& input) {
    return static_cast<std::uint8_t>(
        (input.GetUp() ? CReplay::kUp : 0) | (input.GetDown() ? CReplay::kDown : 0) |
        (input.GetLeft() ? CReplay::kLeft : 0) | (input.GetRight() ? CReplay::kRight : 0) |
        (input.GetFire() ? CReplay::kFire : 0) |
        (input.GetAccelerate() ? CReplay::kAccelerate : 0));
}
