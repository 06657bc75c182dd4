#include "game/BoardNews.h"

#include "game/Ghost.h"
#include "game/RecordsTable.h"
#include "game/RunBook.h"
#include "online/BoardLink.h"
#include "runs/Records.h"

#include <cstdio>
#include <memory>
#include <utility>

CBoardNews::CBoardNews(CRunBook& book, MessageShower show) : book(book), show(std::move(show)) {}

void CBoardNews::AskWorld(const CWorldIdentity& world) {
    if (board != nullptr && book.GetPlayback() == nullptr) {
        board->AskWorld(world);
    }
}

bool CBoardNews::SendRun(bool pModeUsed) {
    if (board == nullptr || book.GetPlayback() != nullptr || pModeUsed) {
        return false;
    }
    board->SendRun(book.GetLastRunShared());
    return true;
}

bool CBoardNews::Take(const CWorldIdentity& world, std::string& taken) {
    if (board == nullptr) {
        return false;
    }
    const bool answered = board->TakeMessage(taken);
    if (answered) {
        answer = taken;
        answerUntil = book.GetRunTime() + kAnswerSeconds;
        show(answer, 1, kAnswerSeconds);
    }
    TakeGhost(world);
    return answered;
}

void CBoardNews::TakeGhost(const CWorldIdentity& world) {
    CBoardLink::SGhostRun best;
    if (!board->TakeGhost(best) || !best.world.IsSameWorld(world)) {
        return;
    }
    const CGhost* own = book.GetGhost();
    // The board's best is the world's: only the player's own faster run stays.
    if (own == nullptr || best.run->finishClock < own->GetFinishClock()) {
        const std::string time =
            CRecords::FormatTime(CRecords::ToMilliseconds(best.run->finishClock));
        book.UseGhost(std::make_unique<CGhost>(*best.run));
        show("GHOST " + CRecordsTable::BoardName(best.player) + " " + time, 0, kGhostSeconds);
        std::printf("board: the ghost flies %s's run, %s\n", best.player.c_str(), time.c_str());
        std::fflush(stdout);
    }
}

std::string CBoardNews::FinishMessage() const {
    return book.GetRunTime() < answerUntil ? answer : book.GetFinishText();
}
