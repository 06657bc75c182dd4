#pragma once

#include "world/WorldIdentity.h"

#include <functional>
#include <string>

class CBoardLink;
class CRunBook;

// The game's side of the board: asks it about each world built, sends each finished run of the
// player, and takes what came back since the last frame: the answer to the run sent, shown for
// a few seconds over the finish's message, and the world's best run, flown as the ghost when
// faster than the player's own. Nothing here waits on the network or changes the rules.
class CBoardNews {
public:
    static constexpr int kAnswerSeconds = 4; // game seconds the answer shows
    static constexpr int kGhostSeconds = 3;  // the ghost's arrival's message
    using MessageShower = std::function<void(const std::string& text, int style, int seconds)>;

    CBoardNews(CRunBook& book, MessageShower show);   // book kept by the caller
    void SetBoard(CBoardLink* link) { board = link; } // kept by the caller; none when null
    const CBoardLink* GetBoard() const { return board; }

    void AskWorld(const CWorldIdentity& world); // the world is built; not for a replay
    // The run that finished now, unless a replay's or flown in P mode: true when it went to
    // the board, whose answer then comes in a later frame.
    bool SendRun(bool pModeUsed);
    // What arrived since the last frame: true with the answer to the run sent, which is also
    // shown. A best run of another world than `world` is dropped.
    bool Take(const CWorldIdentity& world, std::string& answer);
    // Shown every frame from the finish on: the board's answer while it shows, else the finish's
    // message. After the finish the course clock stands, so the answer is timed by the frames.
    std::string FinishMessage() const;
    void ForgetAnswer() { answerUntil = 0.0; } // the run starts again

private:
    void TakeGhost(const CWorldIdentity& world);

    CRunBook& book;
    MessageShower show;
    CBoardLink* board = nullptr;
    std::string answer;       // to the run sent last
    double answerUntil = 0.0; // run time, seconds
};
