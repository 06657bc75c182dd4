#include "game/RecordsTable.h"

#include "world/DailyWorld.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace {

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

// A time set under other rules is shown, but marked: it is no best to beat.
std::string TimeOf(const CRecords::SRecord& record) {
    const std::string time = CRecords::FormatTime(record.milliseconds);
    return record.IsUnderTheseRules() ? time : time + "  OLD RULES";
}

} // namespace

std::string CRecordsTable::WorldName(const CRecords::SWorld& world, std::string date) {
    char text[64];
    if (!date.empty() || CDailyWorld::IsDaily(world.seed, world.difficulty, world.nodes, date)) {
        std::replace(date.begin(), date.end(), '-', '.');
        std::snprintf(text, sizeof text, "D %d  N %d  DAILY %s", world.difficulty, world.nodes,
                      date.c_str());
    } else {
        std::snprintf(text, sizeof text, "D %d  N %d  SEED %u", world.difficulty, world.nodes,
                      world.seed);
    }
    return text;
}

std::vector<std::string> CRecordsTable::GetLines(const CRecords::Table* records,
                                                 const CRecords::SWorld& flown,
                                                 long long ghostMilliseconds,
                                                 const std::string& flownDate) {
    if (records == nullptr) {
        return {"RECORDS OFF"};
    }
    const auto flownRecord = records->find(flown);
    std::string bestLine = "BEST " + (flownRecord == records->end() ? std::string("NONE")
                                                                    : TimeOf(flownRecord->second));
    if (ghostMilliseconds != kNoGhost) {
        bestLine += "  GHOST " + CRecords::FormatTime(ghostMilliseconds);
    }
    std::vector<std::string> lines = {"RECORDS", "THIS WORLD  " + WorldName(flown, flownDate),
                                      bestLine};
    std::vector<std::pair<CRecords::SWorld, CRecords::SRecord>> others;
    for (const auto& entry : *records) {
        if (!(entry.first == flown)) {
            others.push_back(entry);
        }
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const auto& a, const auto& b) { return a.second.setAt > b.second.setAt; });
    if (!others.empty()) {
        lines.push_back("");
    }
    for (std::size_t i = 0; i < others.size() && i < kOtherWorlds; ++i) {
        lines.push_back(Padded(WorldName(others[i].first), 32) + TimeOf(others[i].second));
    }
    return lines;
}

std::string CRecordsTable::BoardName(const std::string& player) {
    std::string name;
    for (const char c : player) {
        const bool letterOrDigit = std::isalnum(static_cast<unsigned char>(c)) != 0;
        name +=
            letterOrDigit ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : ' ';
    }
    return name;
}

std::vector<std::string> CRecordsTable::GetBoardLines(const CBoardLink::SStanding& standing,
                                                      bool canSend) {
    using EState = CBoardLink::SStanding::EState;
    if (standing.state == EState::Loading) {
        return {"BOARD ..."};
    }
    if (standing.state == EState::Offline) {
        return {"BOARD OFFLINE"};
    }
    const CBoardClient::SWorldBoard& board = standing.board;
    std::vector<std::string> lines = {"BOARD  " + std::to_string(board.players) +
                                      (board.players == 1 ? " PLAYER" : " PLAYERS")};
    for (const CBoardClient::SRankedRun& run : board.top) {
        lines.push_back(Padded(Padded(std::to_string(run.rank), 4) + BoardName(run.player), 32) +
                        CRecords::FormatTime(run.milliseconds));
    }
    if (!canSend) {
        lines.push_back("NO NAME OR TOKEN: YOUR RUNS ARE NOT SENT");
    } else if (board.ownRank > 0) {
        lines.push_back("YOU  #" + std::to_string(board.ownRank));
    } else {
        lines.push_back("YOU  NOT ON THE BOARD");
    }
    return lines;
}
