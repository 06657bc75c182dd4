#include "world/DailyWorld.h"

#include "world/Tunnel.h"

#include <cstdio>

namespace {

constexpr std::time_t kSecondsADay = 24 * 60 * 60;

// Noon UTC of a date written YYYY-MM-DD, whether or not the calendar has that day.
bool NoonOf(const std::string& date, std::time_t& noon) {
    std::tm utc{};
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday) != 3) {
        return false;
    }
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    utc.tm_hour = 12;
    noon = timegm(&utc);
    return true;
}

} // namespace

bool CDailyWorld::ForTime(std::time_t now, CDailyWorld& world, std::string& problem) {
    std::tm utc{};
    if (gmtime_r(&now, &utc) == nullptr) {
        problem = "the clock's date cannot be read";
        return false;
    }
    const int year = utc.tm_year + 1900;
    if (year < kFirstYear || year > kLastYear) {
        problem = "the clock says the year is " + std::to_string(year) + ", not " +
                  std::to_string(kFirstYear) + " to " + std::to_string(kLastYear);
        return false;
    }
    char text[32]; // room for any int the compiler cannot rule out
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d", year, utc.tm_mon + 1, utc.tm_mday);
    world.date = text;
    world.seed = static_cast<unsigned>(year * 10000 + (utc.tm_mon + 1) * 100 + utc.tm_mday);
    const int daysSinceMonday = (utc.tm_wday + 6) % 7; // tm_wday counts from Sunday
    world.difficulty = 2 + daysSinceMonday;
    return true;
}

bool CDailyWorld::FromBoard(const std::string& date, const CWorldIdentity& announced,
                            std::time_t now, CDailyWorld& world, std::string& problem) {
    if (!announced.CheckLimits(problem)) {
        return false;
    }
    std::time_t noon = 0;
    CDailyWorld day;
    CDailyWorld today;
    // Read back as written, or it is no date: 2026-02-30 comes back as another day.
    if (!NoonOf(date, noon) || !ForTime(noon, day, problem) || day.date != date) {
        problem = "the board's date \"" + date + "\" is no day from " + std::to_string(kFirstYear) +
                  " to " + std::to_string(kLastYear);
        return false;
    }
    if (!ForTime(now, today, problem)) {
        return false;
    }
    const long long daysApart = noon / kSecondsADay - now / kSecondsADay;
    if (daysApart < -1 || daysApart > 1) {
        problem = "the board's day is " + date + ", and today is " + today.date;
        return false;
    }
    const int nodes = CTunnel::CountRings(announced.difficulty, kLength, announced.seed);
    if (nodes != announced.nodes) {
        problem = "the board's world builds " + std::to_string(nodes) + " path nodes here, not " +
                  std::to_string(announced.nodes);
        return false;
    }
    world = day;
    world.seed = announced.seed;
    world.difficulty = announced.difficulty;
    return true;
}

std::string CDailyWorld::Describe() const {
    return "daily: " + date + " difficulty " + std::to_string(difficulty) + " length " +
           std::to_string(kLength) + " seed " + std::to_string(seed);
}

bool CDailyWorld::IsDaily(unsigned seed, int difficulty, int nodes, std::string& date) {
    if (seed < kFirstYear * 10000u || seed > kLastYear * 10000u + 1231) {
        return false;
    }
    std::tm noon{};
    noon.tm_year = static_cast<int>(seed / 10000) - 1900;
    noon.tm_mon = static_cast<int>(seed / 100 % 100) - 1;
    noon.tm_mday = static_cast<int>(seed % 100);
    noon.tm_hour = 12;
    const std::time_t time = timegm(&noon);
    CDailyWorld world;
    std::string problem;
    // A seed such as 20260230 is no date: it comes back as another day.
    if (!ForTime(time, world, problem) || world.seed != seed || world.difficulty != difficulty ||
        nodes != CTunnel::CountRings(difficulty, kLength, seed)) {
        return false;
    }
    date = world.date;
    return true;
}
