#pragma once

#include "world/WorldIdentity.h"

#include <ctime>
#include <string>

// The world of the day: the same for every player on a UTC date, its path 1,000 nodes. A board
// announces its own (FromBoard), from a seed only it can make; without a board the game makes
// one itself (ForTime): its seed is the date as the number YYYYMMDD, its difficulty 2 on
// Mondays rising by one a day to 8 on Sundays.
class CDailyWorld {
public:
    static constexpr int kLength = 1000; // path nodes
    static constexpr int kFirstYear = 2000;
    static constexpr int kLastYear = 2999;

    // The world of the UTC date at that time; false, with why in problem, when the clock's
    // year lies outside kFirstYear to kLastYear.
    static bool ForTime(std::time_t now, CDailyWorld& world, std::string& problem);

    // The board's world of the day: its date must be the UTC date at now, or a day either side
    // for clocks that differ, and its difficulty and seed must build the board's node count at
    // length kLength. False, with why in problem, otherwise.
    static bool FromBoard(const std::string& date, const CWorldIdentity& announced, std::time_t now,
                          CDailyWorld& world, std::string& problem);

    // Whether a world is a day's world (the date is then "2026-12-08"): a seed that is a date
    // from 2000 to 2999, the difficulty of its weekday, and the path node count that length
    // 1,000 builds from that seed.
    static bool IsDaily(unsigned seed, int difficulty, int nodes, std::string& date);

    const std::string& GetDate() const { return date; } // "2026-12-08"
    unsigned GetSeed() const { return seed; }           // 20261208, or the board's
    int GetDifficulty() const { return difficulty; }    // 2 to 8, or the board's
    // "daily: 2026-12-08 difficulty 3 length 1000 seed 20261208"
    std::string Describe() const;

private:
    std::string date;
    unsigned seed = 0;
    int difficulty = 0;
};
