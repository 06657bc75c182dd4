#pragma once

#include "game/Records.h"

#include <cstddef>
#include <string>
#include <vector>

// The records table that Tab shows over the game, as lines of text: the world being flown
// with its best time and the ghost's, then up to ten other worlds, the most recently improved
// first, records without a date last.
class CRecordsTable {
public:
    static constexpr std::size_t kOtherWorlds = 10;
    static constexpr long long kNoGhost = -1;

    // records: null when the game keeps none ("RECORDS OFF"). ghostMilliseconds: the ghost's
    // finish time, or kNoGhost.
    static std::vector<std::string> GetLines(const CRecords::Table* records,
                                             const CRecords::SWorld& flown,
                                             long long ghostMilliseconds);
    // "D 3  N 512  SEED 17", or "D 2  N 1004  DAILY 2026.12.07" for the world of a day (the
    // font has no hyphen).
    static std::string WorldName(const CRecords::SWorld& world);
};
