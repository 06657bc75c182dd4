#include "world/DailyWorld.h"

#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include "EnvironmentVariable.h"

#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// The path node count of a world, from the tunnel itself.
int NodesOf(unsigned seed, int difficulty, int length) {
    CTextureManager registry; // nothing loaded: generation needs no texture
    CTunnel tunnel(registry, [seed] { return seed; });
    testing::internal::CaptureStdout(); // the path line
    tunnel.Generate(difficulty, length);
    testing::internal::GetCapturedStdout();
    return tunnel.GetRingCount();
}

// TZ for the life of the object. The C library reads TZ only in tzset(), so it is called after
// the variable is set and again after it is put back: otherwise the zone outlives the test.
class CTimeZone {
public:
    explicit CTimeZone(const std::string& zone)
        : variable(std::make_unique<CEnvironmentVariable>("TZ", zone)) {
        tzset();
    }
    ~CTimeZone() {
        variable.reset();
        tzset();
    }
    CTimeZone(const CTimeZone&) = delete;
    CTimeZone& operator=(const CTimeZone&) = delete;

private:
    std::unique_ptr<CEnvironmentVariable> variable;
};

int LocalHourOfTheEpoch() {
    const std::time_t epoch = 0;
    std::tm local{};
    localtime_r(&epoch, &local);
    return local.tm_hour;
}

} // namespace

// The times are UTC seconds since 1970, from `date -u -d "..." +%s`; the weekdays from a
// calendar: 7 December 2026 is a Monday, 13 December a Sunday, 1 January 2027 a Friday.
TEST(DailyWorld, TheDateGivesTheSeedAndTheWeekdayTheDifficulty) {
    const int hourBefore = LocalHourOfTheEpoch();
    {
        // A clock in Tokyo is nine hours ahead: its Monday morning is still Sunday in UTC, and
        // the world of the day is the same for every player.
        const CTimeZone tokyo("JST-9");
        struct SCase {
            std::time_t time;
            const char* date;
            unsigned seed;
            int difficulty;
        };
        const SCase cases[] = {
            {1796601600, "2026-12-07", 20261207, 2}, // Monday 00:00:00
            {1797206399, "2026-12-13", 20261213, 8}, // Sunday 23:59:59
            {1798804800, "2027-01-01", 20270101, 6}, // the year's first day, a Friday
            {946684800, "2000-01-01", 20000101, 7},  // the first day taken, a Saturday
        };
        for (const SCase& c : cases) {
            CDailyWorld world;
            std::string problem;
            ASSERT_TRUE(CDailyWorld::ForTime(c.time, world, problem)) << c.date << ": " << problem;
            EXPECT_EQ(world.GetDate(), c.date);
            EXPECT_EQ(world.GetSeed(), c.seed) << c.date;
            EXPECT_EQ(world.GetDifficulty(), c.difficulty) << c.date;
        }
        CDailyWorld monday;
        std::string problem;
        ASSERT_TRUE(CDailyWorld::ForTime(1796601600, monday, problem));
        EXPECT_EQ(monday.Describe(), "daily: 2026-12-07 difficulty 2 length 1000 seed 20261207");
    }
    EXPECT_EQ(LocalHourOfTheEpoch(), hourBefore) << "Tokyo's time stays behind for later tests";
}

TEST(DailyWorld, AClockOutsideTheYears2000To2999IsRefused) {
    CDailyWorld world;
    std::string problem;
    EXPECT_FALSE(CDailyWorld::ForTime(946684799, world, problem)); // 1999-12-31 23:59:59
    EXPECT_EQ(problem, "the clock says the year is 1999, not 2000 to 2999");
    EXPECT_FALSE(CDailyWorld::ForTime(32503680000, world, problem)); // 3000-01-01 00:00:00
    EXPECT_EQ(problem, "the clock says the year is 3000, not 2000 to 2999");
    EXPECT_TRUE(CDailyWorld::ForTime(32503679999, world, problem)); // 2999-12-31 23:59:59
    EXPECT_EQ(world.GetSeed(), 29991231u);
}

TEST(DailyWorld, OnlyTheWholeWorldOfTheDayIsDaily) {
    const int monday = NodesOf(20261207, 2, CDailyWorld::kLength);
    struct SCase {
        unsigned seed;
        int difficulty;
        int nodes;
        const char* date; // "" for no daily world
    };
    const SCase cases[] = {
        {20261207, 2, monday, "2026-12-07"},
        {20261213, 8, NodesOf(20261213, 8, CDailyWorld::kLength), "2026-12-13"},
        {20261207, 2, NodesOf(20261207, 2, 500), ""},        // --length 500 on the day's seed
        {20261207, 2, NodesOf(20261207, 2, monday + 1), ""}, // one more piece of tunnel
        {20261207, 3, NodesOf(20261207, 3, CDailyWorld::kLength), ""}, // Tuesday's difficulty
        {20260230, 2, NodesOf(20260230, 2, CDailyWorld::kLength), ""}, // no such day
        {19991231, 5, NodesOf(19991231, 5, CDailyWorld::kLength), ""}, // before the first
    };
    for (const SCase& c : cases) {
        std::string date = "untouched";
        EXPECT_EQ(CDailyWorld::IsDaily(c.seed, c.difficulty, c.nodes, date), *c.date != '\0')
            << c.seed << " " << c.difficulty << " " << c.nodes;
        EXPECT_EQ(date, *c.date != '\0' ? c.date : "untouched") << c.seed;
    }
}

// The board's world of the day flies when its date is today's, or a day either side for clocks
// that differ, and its world builds the board's node count here; else why it does not. The
// clock reads 2026-12-09 00:30 UTC, a Wednesday, near the day's start on purpose.
TEST(DailyWorld, TheBoardsWorldOfTheDayFliesOnlyOnItsDayAndAsTheBoardBuiltIt) {
    const std::time_t now = 1796776200;
    constexpr unsigned kSeed = 1234567891;
    const int nodes = NodesOf(kSeed, 5, CDailyWorld::kLength);
    const CWorldIdentity world{5, CDailyWorld::kLength, nodes, kSeed};
    const std::string builds = "the board's world builds " + std::to_string(nodes) +
                               " path nodes here, not " + std::to_string(nodes + 1);
    const struct {
        std::string date;
        CWorldIdentity world;
        std::string problem; // "" when it flies
    } cases[] = {
        {"2026-12-09", world, ""},
        {"2026-12-08", world, ""},
        {"2026-12-10", world, ""},
        {"2026-12-11", world, "the board's day is 2026-12-11, and today is 2026-12-09"},
        {"2026-12-07", world, "the board's day is 2026-12-07, and today is 2026-12-09"},
        {"2026-02-30", world, "the board's date \"2026-02-30\" is no day from 2000 to 2999"},
        {"1999-12-31", world, "the board's date \"1999-12-31\" is no day from 2000 to 2999"},
        {"2026-12-9x", world, "the board's date \"2026-12-9x\" is no day from 2000 to 2999"},
        {"2026-12-09", {5, CDailyWorld::kLength, nodes + 1, kSeed}, builds},
        {"2026-12-09",
         {1001, CDailyWorld::kLength, nodes, kSeed},
         "difficulty 1001 out of range 0 to 1000"},
    };
    for (const auto& c : cases) {
        CDailyWorld daily;
        std::string problem;
        EXPECT_EQ(CDailyWorld::FromBoard(c.date, c.world, now, daily, problem), c.problem.empty())
            << c.date;
        EXPECT_EQ(problem, c.problem) << c.date;
        if (c.problem.empty()) {
            EXPECT_EQ(daily.Describe(),
                      "daily: " + c.date + " difficulty 5 length 1000 seed 1234567891");
        }
    }
}
