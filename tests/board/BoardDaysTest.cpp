#include "board/BoardDays.h"

#include "world/Tunnel.h"

#include "FileBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::int64_t kMondayNoon = 1796644800;   // 2026-12-07 12:00 UTC
constexpr std::int64_t kTuesdayStart = 1796688000; // 2026-12-08 00:00 UTC

} // namespace

// Monday 7 December 2026 is difficulty 2; its seed is the board's own, and no date's digits.
TEST(BoardDays, ADaysWorldIsTheBoardsAndCountsOnItsDayAndTheHourAfter) {
    const CBoardDays days(std::string(64, 'a'));
    const CBoardStore::SWorld monday = days.WorldOf("2026-12-07");
    EXPECT_EQ(monday.difficulty, 2);
    EXPECT_NE(monday.seed, 20261207u);
    EXPECT_EQ(monday.nodes, CTunnel::CountRings(2, 1000, monday.seed));
    EXPECT_EQ(days.WorldOf("2026-12-07"), monday) << "the same every time";
    EXPECT_NE(CBoardDays(std::string(64, 'b')).WorldOf("2026-12-07").seed, monday.seed)
        << "another secret, another world";
    EXPECT_NE(days.WorldOf("2026-12-08").seed, monday.seed);
    for (const char* none : {"2026-13-07", "2026-02-30", "1999-12-31", "tomorrow", ""}) {
        EXPECT_EQ(days.WorldOf(none).nodes, 0) << none;
    }

    EXPECT_EQ(days.DayOf(monday, kMondayNoon), "2026-12-07");
    EXPECT_EQ(days.DayOf(monday, kTuesdayStart + 3599), "2026-12-07");
    EXPECT_EQ(days.DayOf(monday, kTuesdayStart + 3600), "");
    EXPECT_EQ(days.DayOf(monday, kTuesdayStart - 86400 - 1), "") << "Sunday";
    EXPECT_EQ(days.DayOf({monday.difficulty, monday.nodes + 1, monday.seed}, kMondayNoon), "");

    EXPECT_TRUE(CBoardDays::IsAnnounced("2026-12-07", kMondayNoon));
    EXPECT_TRUE(CBoardDays::IsAnnounced("2026-12-06", kMondayNoon));
    EXPECT_FALSE(CBoardDays::IsAnnounced("2026-12-08", kTuesdayStart - 1));
    EXPECT_TRUE(CBoardDays::IsAnnounced("2026-12-08", kTuesdayStart));
}

// The secret is made once, private, and never made anew over a file that is there.
TEST(BoardDays, TheSecretIsMadeOnceAndADamagedOrOpenOneIsRefused) {
    const CScratchDirectory scratch;
    const std::string path = scratch.Join("day-secret");
    std::string secret;
    std::string again;
    std::string problem;
    ASSERT_TRUE(CBoardDays::LoadSecret(path, secret, problem)) << problem;
    EXPECT_EQ(secret.size(), 64u);
    struct stat status {};
    EXPECT_TRUE(stat(path.c_str(), &status) == 0 && (status.st_mode & 0777) == 0600);
    ASSERT_TRUE(CBoardDays::LoadSecret(path, again, problem)) << problem;
    EXPECT_EQ(again, secret);

    chmod(path.c_str(), 0644);
    EXPECT_FALSE(CBoardDays::LoadSecret(path, again, problem));
    EXPECT_NE(problem.find("chmod 600"), std::string::npos) << problem;
    WriteFileBytes(path, "not a secret\n");
    chmod(path.c_str(), 0600);
    EXPECT_FALSE(CBoardDays::LoadSecret(path, again, problem));
    EXPECT_NE(problem.find(path), std::string::npos) << problem;
    EXPECT_EQ(ReadFileBytes(path), "not a secret\n") << "never made anew";
}
