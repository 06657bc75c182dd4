#include "game/RecordsTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Worlds in a column of 32 and the time after; the flown world's best and the ghost's above.
TEST(RecordsTable, TheFlownWorldThenTheOthersNewestFirstAndUndatedLast) {
    EXPECT_EQ(CRecordsTable::GetLines(nullptr, {3, 500, 17}, 83412),
              std::vector<std::string>{"RECORDS OFF"});

    CRecords::Table table;
    table[{1, 40, 5}] = CRecords::SRecord(9990, CRecords::kUnknownDate);
    table[{4, 500, 9}] = CRecords::SRecord(61000, 1796738585);
    table[{4, 500, 8}] = CRecords::SRecord(62500, 1796738645);
    table[{2, 1004, 20261207}] = CRecords::SRecord(75000, 1796738000);
    table[{5, 500, 1}] = CRecords::SRecord(586, 1796738600, ""); // under the rules before 1.3.0
    const std::vector<std::string> expected = {
        "RECORDS",
        "THIS WORLD  D 3  N 500  SEED 17",
        "BEST NONE  GHOST 1:23.41",
        "",
        "D 4  N 500  SEED 8              1:02.50",
        "D 5  N 500  SEED 1              0:00.58  OLD RULES",
        "D 4  N 500  SEED 9              1:01.00",
        "D 2  N 1004  SEED 20261207      1:15.00", // not the daily world's node count
        "D 1  N 40  SEED 5               0:09.99",
    };
    EXPECT_EQ(CRecordsTable::GetLines(&table, {3, 500, 17}, 83412), expected);

    const std::vector<std::string> flownOnly = {"RECORDS", "THIS WORLD  D 3  N 500  SEED 17",
                                                "BEST 1:23.00"};
    const CRecords::Table justFlown = {{{3, 500, 17}, CRecords::SRecord(83000, 1796738999)}};
    EXPECT_EQ(CRecordsTable::GetLines(&justFlown, {3, 500, 17}, CRecordsTable::kNoGhost), flownOnly)
        << "no blank line without other worlds";
    const CRecords::Table olderOnly = {{{3, 500, 17}, CRecords::SRecord(586, 1796738999, "1.2.0")}};
    EXPECT_EQ(CRecordsTable::GetLines(&olderOnly, {3, 500, 17}, CRecordsTable::kNoGhost)[2],
              "BEST 0:00.58  OLD RULES");
}

// The board's part of the table in each state it can be in; names as the HUD's font writes them.
TEST(RecordsTable, TheBoardLoadingOfflineOrRankedWithThePlayersOwnLine) {
    using EState = CBoardLink::SStanding::EState;
    CBoardLink::SStanding fetched{EState::Fetched, {}, {}};
    fetched.board.fetched = true;
    fetched.board.players = 41;
    fetched.board.top = {{1, "ann_b", 61000, ""}, {2, "Bo-9", 62500, ""}};
    fetched.board.ownRank = 7;
    CBoardLink::SStanding empty{EState::Fetched, {}, {}};
    const struct {
        CBoardLink::SStanding standing;
        bool canSend;
        std::vector<std::string> lines;
    } cases[] = {
        {{EState::Loading, {}, {}}, true, {"BOARD ..."}},
        {{EState::Offline, {}, {}}, true, {"BOARD OFFLINE"}},
        {fetched,
         true,
         {"BOARD  41 PLAYERS", "1   ANN B                       1:01.00",
          "2   BO 9                        1:02.50", "YOU  #7"}},
        {empty, true, {"BOARD  0 PLAYERS", "YOU  NOT ON THE BOARD"}},
        {empty, false, {"BOARD  0 PLAYERS", "NO NAME OR TOKEN: YOUR RUNS ARE NOT SENT"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CRecordsTable::GetBoardLines(c.standing, c.canSend), c.lines);
    }
}
