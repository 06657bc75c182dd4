#pragma once

#include "online/BoardLink.h"
#include "runs/Records.h"

#include <cstddef>
#include <string>
#include <vector>

// The records table that Tab shows over the game, as lines of text: the world being flown
// with its best time and the ghost's, then up to ten other worlds, the most recently improved
// first, records without a date last. A time set under other rules (see CRecords) is followed by
// "  OLD RULES".
class CRecordsTable {
public:
    static constexpr std::size_t kOtherWorlds = 10;
    static constexpr long long kNoGhost = -1;

    // records: null when the game keeps none ("RECORDS OFF"). ghostMilliseconds: the ghost's
    // finish time, or kNoGhost. flownDate: the day ("2026-12-08") when the world flown is a
    // world of the day, as a board's is whatever its seed; "" to tell from the world alone.
    static std::vector<std::string> GetLines(const CRecords::Table* records,
                                             const CRecords::SWorld& flown,
                                             long long ghostMilliseconds,
                                             const std::string& flownDate = "");
    // "D 3  N 512  SEED 17", or "D 2  N 1004  DAILY 2026.12.07" for the world of a day
    // (dotted, as the table always wrote it): the game's own of its seed's date, or any world given
    // its date.
    static std::string WorldName(const CRecords::SWorld& world, std::string date = "");

    // The board's lines below the records: its top runs of the world flown and the player's
    // own rank; "BOARD ..." while they load, "BOARD OFFLINE" when they cannot. canSend: the
    // player has a name and a token.
    static std::vector<std::string> GetBoardLines(const CBoardLink::SStanding& standing,
                                                  bool canSend);
    // A player's name as the HUD's font writes it: upper case, '-' and '_' as blanks.
    static std::string BoardName(const std::string& player);
};
