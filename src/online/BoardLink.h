#pragma once

#include "base/ReplayVerifier.h"
#include "online/BoardClient.h"
#include "runs/Replay.h"
#include "world/WorldIdentity.h"

#include <cstdint>
#include <memory>
#include <string>

// The game's line to the board, on a thread of its own: finished runs go into the outbox and
// on to the board, and the board's standing of the world being flown (and its best run, for
// the ghost, once the game's own check has flown it) comes back. The frame only ever takes what has
// arrived, under a lock held for a copy, so a board that never answers costs the frame nothing.
// Every answer and every failure is also one line on standard output.
class CBoardLink {
public:
    struct SSettings {
        std::string url;           // a URL CBoardSettings took, without a trailing '/'
        std::string name;          // "" when none is set: the board is read, no run is sent
        std::string token;         // "" when there is no usable one: no run is sent
        std::string dataDirectory; // the outbox's; "" keeps no run
        bool ghostFromBoard = false;
        // The game that flies the board's best run before it is a ghost, as the board checks
        // runs: this game's own program. "" flies none, so no ghost comes from the board.
        std::string gameProgram;
        std::string scratchDirectory; // where each such flight gets a private directory
        CBoardClient::STimeouts timeouts;
    };

    // What the Tab table shows of the board for the world last asked.
    struct SStanding {
        enum class EState { Loading, Offline, Fetched };
        EState state = EState::Loading;
        CWorldIdentity world;
        CBoardClient::SWorldBoard board;
    };

    // The board's best run of a world, read strictly and of that world.
    struct SGhostRun {
        CWorldIdentity world;
        std::string player;
        std::unique_ptr<CReplay> run;
    };

    // Starts the thread, which first sends what waits in the outbox. CBoardClient::Initialise
    // must have run.
    explicit CBoardLink(SSettings settings);
    // Waits for nothing: a request under way is left to end with the process. A run handed over
    // that has not reached the outbox yet is written there first.
    ~CBoardLink();
    CBoardLink(const CBoardLink&) = delete;
    CBoardLink& operator=(const CBoardLink&) = delete;

    bool CanSend() const; // a name and a token: runs go to the board
    // A finished run of this game: into the outbox, then sent with whatever else waits there.
    // Its answer is the next message.
    void SendRun(std::shared_ptr<const CReplay> run);
    // The world is built: its standing, and its best run when the ghost comes from the board.
    void AskWorld(const CWorldIdentity& world);

    // The frame's side: each is a copy taken under a lock, never a wait on the network.
    bool TakeMessage(std::string& onScreen); // the answer to the last run sent, once
    SStanding GetStanding() const;
    int GetChangeCount() const;       // moves whenever the standing changes
    bool TakeGhost(SGhostRun& ghost); // the world's best run, once it has arrived

    // A downloaded run, kept only when the game's strict reader takes it and it is a finished
    // run of the world; else null with why.
    static std::unique_ptr<CReplay> ReadGhost(const std::string& bytes, const CWorldIdentity& world,
                                              std::string& problem);
    // Whether the game's own check, flying the run's bytes in a child process, ends at the
    // finish time the run's header claims ("finish 1:02.33, state ..., matches"); else false
    // with why. The rules' one random generator is never touched in this process.
    static bool FliesAsClaimed(const CReplayVerifier& verifier, const std::string& bytes,
                               const CReplay& run, std::string& problem);

private:
    struct SShared;
    void Post(bool sendOutbox, const CWorldIdentity* world);
    static void Work(const std::shared_ptr<SShared>& shared);
    static void SendWaitingRuns(SShared& shared);
    static void Fetch(SShared& shared, const CWorldIdentity& world);
    static void FetchGhost(SShared& shared, const CWorldIdentity& world,
                           const CBoardClient::SWorldBoard& board);
    static void WritePending(SShared& shared); // every run handed over into the outbox

    std::shared_ptr<SShared> shared; // with the thread, which may outlive this object
};
