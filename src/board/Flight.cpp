#include "board/Flight.h"

#include "board/Sha256.h"

#include <cstdint>
#include <cstring>

std::string CFlight::Fingerprint(const CBoardStore::SWorld& built, const CReplay& replay) {
    std::uint64_t finishBits = 0;
    static_assert(sizeof finishBits == sizeof replay.finishClock, "the clock is a double");
    std::memcpy(&finishBits, &replay.finishClock, sizeof finishBits);
    // The clock's exact bits: two flights a millisecond apart are two flights.
    const std::string flown =
        "zelkora flight 1 " + std::to_string(built.difficulty) + " " + std::to_string(built.nodes) +
        " " + std::to_string(built.seed) + " " + CReplay::FormatHash(finishBits) + " " +
        CReplay::FormatHash(replay.finishHash) + " " + CReplay::FormatHash(replay.endHash);
    return CSha256::Hex(flown);
}
