#pragma once

#include "board/BoardStore.h"
#include "runs/Replay.h"

#include <string>

// What a run flew, as the board tells runs apart: the world as built and what the check proves
// of the flight (the finish time and the state at the finish and at the end). The file's date,
// its padding, how its frames are packed and the length asked for do not count, so a copy of a
// run made to look like another file is the same flight.
class CFlight {
public:
    // 64 hex digits. built: the world the replay's difficulty, length and seed build.
    static std::string Fingerprint(const CBoardStore::SWorld& built, const CReplay& replay);
};
