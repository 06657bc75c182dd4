#pragma once

// What must hold for any bytes a board answers with, read as a run's answer (200), as a
// world's page and as the world of the day: nothing throws, what the HUD and the terminal show
// is printable, the line is one line, a page gives at most five runs, each with a printable
// name, a run id of 64 hex digits and a rank among the page's players, and a world of the day
// is one the game can fly.
#include "online/BoardClient.h"

#include <string>

inline bool IsPrintableText(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
            return false;
        }
    }
    return true;
}

inline bool BoardAnswerIsReadSoundly(const std::string& body) {
    const CBoardClient::SSubmitted sent = CBoardClient::ReadCounted(200, body, "Ann");
    if (!IsPrintableText(sent.onScreen) || !IsPrintableText(sent.line) ||
        sent.line.rfind("board: ", 0) != 0 ||
        (sent.outcome == CBoardClient::EOutcome::Counted) !=
            (sent.onScreen.rfind("BOARD #", 0) == 0 ||
             sent.onScreen.rfind("BOARD BEST #", 0) == 0)) {
        return false;
    }
    const CBoardClient::SWorldBoard board = CBoardClient::ReadWorld(body);
    if (board.top.size() > CBoardClient::kTopShown || (!board.fetched && !board.top.empty())) {
        return false;
    }
    for (const CBoardClient::SRankedRun& run : board.top) {
        if (!IsPrintableText(run.player) || run.rank < 1 || run.rank > board.players ||
            run.runId.size() != 64 ||
            run.runId.find_first_not_of("0123456789abcdef") != std::string::npos) {
            return false;
        }
    }
    const CBoardClient::SToday today = CBoardClient::ReadToday(body);
    std::string problem;
    return !today.fetched || (IsPrintableText(today.date) && today.world.CheckLimits(problem));
}
