#include "runs/Records.h"
#include "runs/RecordsFile.h"

#include "app/CommandLine.h"
#include "base/AtomicFile.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include "ChildOutput.h"
#include "FileBytes.h"
#include "ToneFiles.h"

#include <cstddef>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <set>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Every link(2) and renameat2(2) the game makes passes through the definitions below, so that a
// test can run another game at the moment this one moves a damaged file aside.
std::function<void()> beforeNextMove;

void RunBeforeNextMove() {
    if (beforeNextMove) {
        const std::function<void()> hook = std::move(beforeNextMove);
        beforeNextMove = nullptr;
        hook();
    }
}
} // namespace

extern "C" int link(const char* from, const char* to) {
    using Link = int (*)(const char*, const char*);
    static const Link real = reinterpret_cast<Link>(dlsym(RTLD_NEXT, "link"));
    RunBeforeNextMove();
    return real(from, to);
}

extern "C" int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to,
                         unsigned int flags) {
    using Rename = int (*)(int, const char*, int, const char*, unsigned int);
    static const Rename real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "renameat2"));
    RunBeforeNextMove();
    return real(fromDirectory, from, toDirectory, to, flags);
}

namespace {

namespace fs = std::filesystem;

using SWorld = CRecords::SWorld;

const char* const kVersion = "zelkora records 3\n";
const char* const kVersionTwo = "zelkora records 2\n";
const char* const kVersionOne = "zelkora records 1\n";
// 2026-12-08T14:03:05Z (date -u -d "2026-12-08 14:03:05" +%s): the clock of every save here.
constexpr std::int64_t kEighthDecember = 1796738585;
// And the rules of this game, under which every record here is set.
const std::string kDateAndRules = " 2026-12-08T14:03:05Z 1.3.0";

CRecords RecordsIn(const std::string& directory) {
    return CRecords(directory, [] { return kEighthDecember; });
}

int BadLineOf(const std::string& text) {
    CRecords::Table table;
    CRecords::OlderRules older;
    int badLine = -1;
    const bool parsed = CRecordsFile::Parse(text, table, older, badLine);
    EXPECT_EQ(parsed, badLine == 0) << text;
    if (!parsed) {
        EXPECT_TRUE(table.empty() && older.empty()) << text;
    }
    return badLine;
}

// Runs the action and gives what it printed.
template <typename Action> std::string PrintedBy(Action action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

TEST(Records, ParseNamesTheFirstBadLine) {
    const std::string version = kVersionTwo;
    const std::string three = kVersion;
    const std::pair<std::string, int> files[] = {
        {version, 0},
        {version + "3 500 17 83.412 -", 0}, // no final line end
        {version + "\n \t\n\t3  500 17\t83.412 \t2026-12-08T14:03:05Z \n\n", 0},
        {version + "-2147483648 100000 2147483647 8639999.999 9999-12-31T23:59:59Z\n", 0},
        {version + "1 2 3 4 2000-01-01T00:00:00Z\n1 2 4 4 2028-02-29T12:00:00Z\n", 0},
        // The longest tunnel: 100,000 nodes asked, less one, and a last bend of difficulty
        // 1000 that runs up to 4 x 1000 - 1 past them.
        {version + "1000 103998 2147483647 1.000 -\n", 0},
        {kVersionOne + std::string("3 500 17 83.412\n"), 0},
        {"", 1},
        {three + "3 500 17 1.000 - 1.3.0\n3 500 17 0.586 - -\n3 500 17 2.000 - 1.2.10\n", 0},
        {three + "3 500 17 1.000 - 1.3.0\n3 500 17 2.000 2026-12-08T14:03:05Z 1.3.0\n", 3},
        {three + "3 500 17 1.000 - -\n3 500 17 2.000 - -\n", 3}, // twice under older rules
        {three + "3 500 17 1.000 -\n", 2},                       // version 3 has rules
        {"zelkora records 4\n", 1},
        {"zelkora records 2 \n", 1},
        {version + "3 500 17 1.000 -\n3 500\n", 3},
        {version + "3 500 17 1.000 -\n4 500 17 1.000 -\n3 500 17 2.000 -\n", 4}, // twice
        {kVersionOne + std::string("3 500 17 1.000 -\n"), 2}, // version 1 has no dates
        {version + "3 500 17 1.000\n", 2},                    // version 2 has them
    };
    for (const auto& [text, badLine] : files) {
        EXPECT_EQ(BadLineOf(text), badLine) << text;
    }
    const std::string badRecords[] = {
        "3 500 17",
        "3 500 17 1.000 x",
        "3 0 17 1.000",
        "3 103999 17 1.000", // one past the longest tunnel
        "3 500 2147483648 1.000",
        "3 500 -1 1.000",
        "2147483648 500 17 1.000",
        "+3 500 17 1.000",
        "3 500 17 -1.000",
        "3 500 17 1.2345",
        "3 500 17 1.",
        "3 500 17 .5",
        "3 500 17 1,500",
        "3 500 17 8640000.000",
        "3 500 17 99999999999999999999999",
        "3 500 17 1.000\r",
        std::string("3 500 17 1.0\0", 13) + "00",
        "3 500 17 1.000" + std::string(CRecordsFile::kMaximumLineLength - 13, ' '),
    };
    for (const std::string& record : badRecords) {
        EXPECT_EQ(BadLineOf(kVersionOne + record + "\n"), 2) << record;
        EXPECT_EQ(BadLineOf(version + record + " -\n"), 2) << record;
    }
    const char* const badRules[] = {"1.3",    "1.3.0.0", "01.3.0", "1.3.-1",    "1..0",   "+1.3.0",
                                    "1.3.0x", "x",       "--",     "1.3.10000", "1.3.0 -"};
    for (const char* rules : badRules) {
        EXPECT_EQ(BadLineOf(three + "3 500 17 1.000 - 1.3.0\n3 500 18 1.000 - " + rules + "\n"), 3)
            << rules;
    }
    const char* const badDates[] = {
        "2026-02-29T00:00:00Z", // 2026 is no leap year
        "2026-12-08T24:00:00Z",
        "2026-12-08T14:60:00Z",
        "2026-13-01T00:00:00Z",
        "1999-12-31T23:59:59Z", // before any game wrote one
        "2026-12-8T14:03:05Z",
        "2026-12-08T14:03:05",
        "2026-12-08t14:03:05Z",
        "+026-12-08T14:03:05Z",
        "--",
    };
    for (const char* date : badDates) {
        EXPECT_EQ(BadLineOf(version + std::string("3 500 17 1.000 ") + date + "\n"), 2) << date;
    }
}

TEST(Records, FormatSortsAndParseReadsItBack) {
    const CRecords::Table table = {{{3, 500, 17}, CRecords::SRecord(83412, kEighthDecember)},
                                   {{-1, 7, 2147483647}, CRecords::SRecord(5, 1772236800)},
                                   {{3, 500, 2}, CRecords::SRecord(60000)},
                                   {{3, 20, 99}, CRecords::SRecord(8639999999, 253402300799)},
                                   {{-2147483647 - 1, 1, 0}, CRecords::SRecord(0)}};
    const CRecords::OlderRules older = {
        {{{3, 500, 17}, ""}, CRecords::SRecord(586, kEighthDecember, "")},
        {{{3, 500, 17}, "1.2.0"}, CRecords::SRecord(900, -1, "1.2.0")},
        {{{3, 500, 3}, ""}, CRecords::SRecord(1000, -1, "")}};
    const std::string text = CRecordsFile::Format(table, older);
    EXPECT_EQ(text, "zelkora records 3\n"
                    "-2147483648 1 0 0.000 - 1.3.0\n"
                    "-1 7 2147483647 0.005 2026-02-28T00:00:00Z 1.3.0\n"
                    "3 20 99 8639999.999 9999-12-31T23:59:59Z 1.3.0\n"
                    "3 500 2 60.000 - 1.3.0\n"
                    "3 500 3 1.000 - -\n"
                    "3 500 17 0.586 2026-12-08T14:03:05Z -\n"
                    "3 500 17 0.900 - 1.2.0\n"
                    "3 500 17 83.412 2026-12-08T14:03:05Z 1.3.0\n");
    CRecords::Table readBack;
    CRecords::OlderRules olderBack;
    int badLine = -1;
    ASSERT_TRUE(CRecordsFile::Parse(text, readBack, olderBack, badLine));
    EXPECT_EQ(readBack, table);
    EXPECT_EQ(olderBack, older);
    // A clock gone wild writes no date, rather than one the next start would call damage.
    EXPECT_EQ(CRecordsFile::FormatDate(253402300800), "-"); // the year 10000
    EXPECT_EQ(CRecordsFile::FormatDate(946684799), "-");    // 1999
    EXPECT_EQ(CRecordsFile::FormatDate(946684800), "2000-01-01T00:00:00Z");
}

TEST(Records, ParseReadsShortDecimalsAsMilliseconds) {
    CRecords::Table table;
    CRecords::OlderRules older;
    int badLine = 0;
    ASSERT_TRUE(CRecordsFile::Parse("zelkora records 3\n1 2 3 4 - 1.3.0\n1 2 4 4.5 - 1.3.0\n"
                                    "1 2 5 0.07 - 1.3.0\n1 2 6 007.008 - 1.3.0",
                                    table, older, badLine));
    const CRecords::Table expected = {{{1, 2, 3}, CRecords::SRecord(4000)},
                                      {{1, 2, 4}, CRecords::SRecord(4500)},
                                      {{1, 2, 5}, CRecords::SRecord(70)},
                                      {{1, 2, 6}, CRecords::SRecord(7008)}};
    EXPECT_EQ(table, expected);
}

TEST(Records, FormatTimeCutsToHundredths) {
    const std::pair<long long, const char*> cases[] = {
        {0, "0:00.00"},        {9, "0:00.00"},     {83412, "1:23.41"},
        {59999, "0:59.99"},    {60000, "1:00.00"}, {754329, "12:34.32"},
        {3600000, "60:00.00"}, {-5, "0:00.00"},    {8639999999, "143999:59.99"}};
    for (const auto& [milliseconds, text] : cases) {
        EXPECT_EQ(CRecords::FormatTime(milliseconds), text) << milliseconds;
    }
}

TEST(Records, SubmitTakesOnlyBetterTimesAndKeepsOtherWorlds) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("deep/zelkora");
    const SWorld world{3, 500, 17};
    const SWorld other{3, 500, 18};
    {
        CRecords records = RecordsIn(directory);
        records.Load();
        EXPECT_EQ(records.GetBest(world), -1);
        EXPECT_TRUE(records.Submit(other, 90000));
        EXPECT_TRUE(records.Submit(world, 83412));
        EXPECT_FALSE(records.Submit(world, 83412)); // equal is no new best
        EXPECT_FALSE(records.Submit(world, 90000));
        EXPECT_TRUE(records.Submit(world, 0));
        EXPECT_EQ(records.GetBest(world), 0);
    }
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("3 500 17 0.000" + kDateAndRules) + "\n3 500 18 90.000" + kDateAndRules +
                  "\n");
    CRecords again = RecordsIn(directory); // Submit loads first, so the file's records survive
    EXPECT_TRUE(again.Submit({4, 500, 17}, 1000));
    EXPECT_EQ(again.GetBest(other), 90000);
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("3 500 17 0.000" + kDateAndRules) + "\n3 500 18 90.000" + kDateAndRules +
                  "\n4 500 17 1.000" + kDateAndRules + "\n");
}

TEST(Records, TheLongestWorldTheCommandLineMakesCanBeRecorded) {
    CTextureManager registry;
    registry.ListAll();
    CTunnel tunnel(registry, [] { return 1u; });
    testing::internal::CaptureStdout(); // the path line
    tunnel.Generate(CTunnel::kMaximumBendDifficulty, CTunnel::kMaximumLength);
    testing::internal::GetCapturedStdout();
    EXPECT_GT(tunnel.GetRingCount(), CTunnel::kMaximumLength) << "the last bend ends past it";
    EXPECT_LE(tunnel.GetRingCount(), 103998) << "what the records take";

    CScratchDirectory scratch;
    CRecords records(scratch.Join("zelkora"));
    records.Load();
    const SWorld longest{static_cast<int>(CTunnel::kMaximumBendDifficulty), tunnel.GetRingCount(),
                         static_cast<unsigned>(CTunnel::kMaximumSeed)};
    EXPECT_EQ(PrintedBy([&] { EXPECT_TRUE(records.Submit(longest, 3600000)); }), "");
    CRecords again(scratch.Join("zelkora"));
    EXPECT_EQ(PrintedBy([&] { again.Load(); }), "");
    EXPECT_EQ(again.GetBest(longest), 3600000);
}

// Records from files without rules were set under the rules before 1.3.0: shown and kept,
// never the best to beat.
TEST(Records, OlderFilesAreReadAsOlderRulesAndWrittenAsVersionThreeKeepingEveryRecord) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("zelkora");
    fs::create_directories(directory);
    const std::pair<std::string, std::string> files[] = {
        {kVersionOne + std::string("3 500 17 0.586\n1 1500 5 70.000\n"), "-"},
        {kVersionTwo + std::string("3 500 17 0.586 -\n1 1500 5 70.000 2026-12-07T10:00:00Z\n"),
         "2026-12-07T10:00:00Z"},
    };
    for (const auto& [text, oldDate] : files) {
        WriteFileBytes(directory + "/records.txt", text);
        CRecords records = RecordsIn(directory);
        EXPECT_EQ(PrintedBy([&] { records.Load(); }), "");
        EXPECT_EQ(records.GetBest({3, 500, 17}), -1) << "a stall's time of older rules";
        EXPECT_EQ(records.GetTable().at({3, 500, 17}), CRecords::SRecord(586, -1, ""));
        EXPECT_EQ(ReadFileBytes(directory + "/records.txt"), text);
        EXPECT_TRUE(records.Submit({1, 1500, 5}, 71000)) << "the first under these rules";
        EXPECT_FALSE(records.Submit({1, 1500, 5}, 72000));
        EXPECT_EQ(records.GetBest({1, 1500, 5}), 71000);
        EXPECT_EQ(records.GetTable().at({1, 1500, 5}).milliseconds, 71000);
        const std::string written = kVersion + ("1 1500 5 70.000 " + oldDate) + " -\n" +
                                    "1 1500 5 71.000" + kDateAndRules + "\n3 500 17 0.586 - -\n";
        EXPECT_EQ(ReadFileBytes(directory + "/records.txt"), written);
        CRecords again = RecordsIn(directory);
        EXPECT_TRUE(again.Submit({3, 500, 17}, 41000));
        EXPECT_EQ(again.GetBest({1, 1500, 5}), 71000);
        EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
                  written + "3 500 17 41.000" + kDateAndRules + "\n")
            << "the old line stays";
    }
}

TEST(Records, TwoGamesAtOnceKeepEachOthersRecords) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("zelkora");
    CRecords first = RecordsIn(directory);
    CRecords second(directory, [] { return kEighthDecember + 60; });
    first.Load();
    second.Load(); // both read the table before either saves
    EXPECT_TRUE(first.Submit({3, 500, 17}, 83000));
    EXPECT_TRUE(second.Submit({3, 500, 18}, 90000));
    // The second game learnt of the first's record, and a faster time saved meanwhile wins.
    EXPECT_EQ(second.GetBest({3, 500, 17}), 83000);
    EXPECT_TRUE(first.Submit({3, 500, 18}, 80000));
    EXPECT_FALSE(second.Submit({3, 500, 18}, 85000)) << "the first game's 80 s stands";
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("3 500 17 83.000" + kDateAndRules) + "\n3 500 18 80.000" + kDateAndRules +
                  "\n")
        << "each record keeps the date it was set";
}

TEST(Records, ASaveWaitsForAnotherGameHoldingTheLockAndKeepsWhatItSaved) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("zelkora");
    CRecords records = RecordsIn(directory);
    records.Load();
    ASSERT_TRUE(records.Submit({1, 1500, 5}, 70000)); // the directory and lock file exist now
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t other = fork();
    if (other == 0) {
        // Another game: takes the lock, and while holding it saves a record of its own.
        const int lock = open((directory + "/records.txt.lock").c_str(), O_RDWR);
        flock(lock, LOCK_EX);
        (void)!write(ready[1], "x", 1);
        usleep(300000);
        std::string error;
        CAtomicFile::Replace(directory + "/records.txt",
                             "zelkora records 1\n1 1500 5 70.000\n2 500 9 60.000\n", error);
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1); // the other game holds the lock now
    EXPECT_TRUE(records.Submit({3, 500, 17}, 83000));
    int status = 0;
    waitpid(other, &status, 0);
    // An older game wrote version 1: its records come without a date, under older rules (ours
    // among them, written back as it knew it), and ours keep their own.
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + std::string("1 1500 5 70.000 - -\n1 1500 5 70.000") + kDateAndRules +
                  "\n2 500 9 60.000 - -\n3 500 17 83.000" + kDateAndRules + "\n");
}

// A game stopped while it holds the lock stops nobody: the save gives up waiting, and the time
// waits in the table, with its best replay, for the next save to merge it in.
TEST(Records, ALockHeldTooLongLeavesTheRecordToTheNextSave) {
    CScratchDirectory scratch;
    const std::string directory = scratch.GetPath();
    CRecords records = RecordsIn(directory);
    records.Load();
    ASSERT_TRUE(records.Submit({1, 1500, 5}, 70000)); // the lock file exists now
    const int otherGame = open((directory + "/records.txt.lock").c_str(), O_RDWR);
    ASSERT_EQ(flock(otherGame, LOCK_EX), 0);
    int followUps = 0;
    EXPECT_EQ(PrintedBy([&] {
                  EXPECT_TRUE(records.Submit({3, 500, 17}, 83000, [&] { ++followUps; }));
              }),
              "records: " + directory +
                  "/records.txt.lock is held by another game, keeping new records for the next "
                  "save\n");
    EXPECT_EQ(followUps, 0);
    EXPECT_EQ(records.GetBest({3, 500, 17}), 83000);
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("1 1500 5 70.000" + kDateAndRules) + "\n");
    close(otherGame);
    EXPECT_EQ(PrintedBy([&] { records.Flush(); }), "");
    EXPECT_EQ(followUps, 1);
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("1 1500 5 70.000" + kDateAndRules) + "\n3 500 17 83.000" + kDateAndRules +
                  "\n");
}

std::set<std::string> NamesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A quit while another game holds the lock waits for nothing and loses nothing: the records go
// to a pending file of their own, never over another game's, and the next game to take the
// lock merges them.
TEST(Records, AQuitWhileTheLockIsHeldKeepsTheRecordsForTheNextGame) {
    CScratchDirectory scratch;
    const std::string directory = scratch.GetPath();
    const std::string path = scratch.Join("records.txt");
    CRecords records = RecordsIn(directory);
    records.Load();
    ASSERT_TRUE(records.Submit({1, 1500, 5}, 70000)); // the lock file exists now
    const int otherGame = open((path + ".lock").c_str(), O_RDWR);
    ASSERT_EQ(flock(otherGame, LOCK_EX), 0);
    const std::string otherPending = kVersion + ("3 500 18 90.000" + kDateAndRules) + "\n";
    WriteFileBytes(path + ".pending", otherPending); // another game quit just before
    PrintedBy([&] { EXPECT_TRUE(records.Submit({3, 500, 17}, 83000)); });
    EXPECT_EQ(PrintedBy([&] { records.Flush(); }),
              "records: " + path + ".lock is still held, 1 new records kept in " + path +
                  ".pending.1 for the next game\n");
    EXPECT_EQ(ReadFileBytes(path + ".pending"), otherPending);
    EXPECT_EQ(ReadFileBytes(path + ".pending.1"),
              kVersion + ("3 500 17 83.000" + kDateAndRules) + "\n");
    close(otherGame);
    CRecords next = RecordsIn(directory);
    EXPECT_EQ(PrintedBy([&] { next.Load(); }), "");
    EXPECT_EQ(next.GetBest({3, 500, 17}), 83000);
    EXPECT_EQ(ReadFileBytes(path), kVersion + ("1 1500 5 70.000" + kDateAndRules) +
                                       "\n3 500 17 83.000" + kDateAndRules + "\n3 500 18 90.000" +
                                       kDateAndRules + "\n");
    EXPECT_EQ(NamesIn(directory), (std::set<std::string>{"records.txt", "records.txt.lock"}));
}

// A pending file is the only copy of its records: damaged, it is set aside like the file;
// unreadable, it is left alone; the others are merged all the same.
TEST(Records, ADamagedPendingFileIsSetAsideAndTheOthersMerged) {
    CScratchDirectory scratch;
    const std::string directory = scratch.GetPath();
    const std::string pending = scratch.Join("records.txt.pending");
    WriteFileBytes(pending, "damaged");
    WriteFileBytes(pending + ".bad", "older damage");
    WriteFileBytes(pending + ".2", kVersion + ("3 500 18 90.000" + kDateAndRules) + "\n");
    fs::create_directory(pending + ".3");
    CRecords records = RecordsIn(directory);
    EXPECT_EQ(PrintedBy([&] { records.Load(); }),
              "records: " + pending + ": line 1 is bad: \"damaged\"; moved it to " + pending +
                  ".bad.1, its records are not merged\nrecords: " + pending +
                  ".3: cant read it (not a regular file), leaving it as it is\n");
    EXPECT_EQ(records.GetBest({3, 500, 18}), 90000);
    EXPECT_EQ(PrintedBy([&] { records.Submit({3, 500, 17}, 1000); }), "") << "said once";
    EXPECT_EQ(ReadFileBytes(pending + ".bad"), "older damage");
    EXPECT_EQ(ReadFileBytes(pending + ".bad.1"), "damaged");
    EXPECT_EQ(NamesIn(directory),
              (std::set<std::string>{"records.txt", "records.txt.lock", "records.txt.pending.3",
                                     "records.txt.pending.bad", "records.txt.pending.bad.1"}));
}

// What runs with a new best (the best replay being written) runs while the lock is held, so
// that no other game's record can come between the time and its replay; a slower time runs
// nothing.
TEST(Records, ANewBestRunsItsFollowUpWhileTheLockIsHeld) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("zelkora");
    CRecords records = RecordsIn(directory);
    records.Load();
    int calls = 0;
    bool lockedMeanwhile = false;
    const auto whileLocked = [&] {
        ++calls;
        const int lock = open((directory + "/records.txt.lock").c_str(), O_RDWR | O_CLOEXEC);
        lockedMeanwhile = flock(lock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        close(lock);
    };
    EXPECT_TRUE(records.Submit({3, 500, 17}, 83000, whileLocked));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(lockedMeanwhile);
    EXPECT_FALSE(records.Submit({3, 500, 17}, 84000, whileLocked));
    EXPECT_EQ(calls, 1) << "no new best, nothing to write";
    // A file that cannot be read is never saved over, and neither is its best run's replay.
    std::filesystem::remove(directory + "/records.txt");
    std::filesystem::create_directory(directory + "/records.txt");
    CRecords blocked = RecordsIn(directory);
    testing::internal::CaptureStdout();
    blocked.Load();
    EXPECT_TRUE(blocked.Submit({3, 500, 17}, 1000, whileLocked));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(calls, 1) << "the record was not saved";
}

// From here on flock fails with ENOLCK, as on a file system without locks; false when the
// kernel will not filter system calls.
bool FailEveryFlock() {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_flock, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOLCK),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(code)), code};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST(Records, ALockThatCannotBeHadGivesOneLineAndTheSaveGoesOn) {
    CScratchDirectory scratch;
    const std::string directory = scratch.GetPath();
    const std::string printed = PrintedByChild([&] {
        if (!FailEveryFlock()) {
            std::printf("no filter\n");
            return;
        }
        CRecords records = RecordsIn(directory);
        records.Load();
        records.Submit({3, 500, 17}, 1000);
        records.Submit({3, 500, 18}, 2000);
    });
    if (printed == "no filter\n") {
        GTEST_SKIP() << "the kernel does not filter system calls here";
    }
    EXPECT_EQ(printed, "records: cant lock " + directory +
                           "/records.txt.lock (No locks available), saving without it\n");
    EXPECT_EQ(ReadFileBytes(directory + "/records.txt"),
              kVersion + ("3 500 17 1.000" + kDateAndRules) + "\n3 500 18 2.000" + kDateAndRules +
                  "\n");
}

TEST(Records, ADamagedFileIsSetAsideWithItsFirstBadLine) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    WriteFileBytes(path + ".bad", "older damage");
    const std::string longLine(70, '7');
    struct SCase {
        std::string text;
        std::string problem;
        std::string movedTo;
    };
    const SCase cases[] = {
        {"zelkora records 1\n3 500 17 1.000\n3 500 x\t\"\\\x01\xff\n", //
         "line 3 is bad: \"3 500 x\\x09\\\"\\\\\\x01\\xff\"", ".bad.1"},
        {"zelkora records 1\n" + longLine + "\n",
         "line 2 is bad: \"" + longLine.substr(0, 60) + "\"...", ".bad.2"},
        {"", "line 1 is bad: \"\"", ".bad.3"},
        {std::string(CRecordsFile::kMaximumFileBytes + 1, '\n'), "larger than 1048576 bytes",
         ".bad.4"},
    };
    for (const SCase& c : cases) {
        WriteFileBytes(path, c.text);
        CRecords records = RecordsIn(scratch.GetPath());
        EXPECT_EQ(PrintedBy([&] { records.Load(); }), "records: " + path + ": " + c.problem +
                                                          "; moved it to " + path + c.movedTo +
                                                          ", starting a new table\n");
        EXPECT_TRUE(records.GetTable().empty());
        EXPECT_EQ(ReadFileBytes(path + c.movedTo), c.text);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(PrintedBy([&] { records.Submit({1, 2, 3}, 4000); }), "");
        EXPECT_EQ(ReadFileBytes(path), kVersion + ("1 2 3 4.000" + kDateAndRules) + "\n");
    }
    EXPECT_EQ(ReadFileBytes(path + ".bad"), "older damage");
}

TEST(Records, TwoGamesStartingOnOneDamagedFileBothKeepSaving) {
    // The first game starts while the second is about to move the damaged file aside.
    struct SCase {
        const char* name;
        bool lockable;
        bool firstSavesAtOnce; // before the second moves it
    };
    const SCase cases[] = {
        {"the first moves it aside", true, false},
        {"the first moves it aside, no lock", false, false},
        {"the first moves it aside and saves", true, true},
    };
    for (const SCase& c : cases) {
        CScratchDirectory scratch;
        const std::string directory = scratch.GetPath();
        const std::string path = scratch.Join("records.txt");
        WriteFileBytes(path, "damaged");
        if (!c.lockable) {
            fs::create_directory(path + ".lock");
        }
        int go[2];
        int loaded[2];
        ASSERT_EQ(pipe(go), 0);
        ASSERT_EQ(pipe(loaded), 0);
        const std::string printed = PrintedBy([&] {
            std::fflush(stdout);
            const pid_t first = fork();
            if (first == 0) {
                close(go[1]);
                close(loaded[0]);
                CRecords records = RecordsIn(directory);
                char byte = 0;
                (void)!read(go[0], &byte, 1);
                records.Load();
                if (c.firstSavesAtOnce) {
                    records.Submit({1, 1, 1}, 1000);
                }
                (void)!write(loaded[1], "x", 1);
                (void)!read(go[0], &byte, 1);
                if (!c.firstSavesAtOnce) {
                    records.Submit({1, 1, 1}, 1000);
                }
                std::fflush(stdout);
                _exit(0);
            }
            close(go[0]);
            close(loaded[1]);
            CRecords second = RecordsIn(directory);
            beforeNextMove = [&] {
                (void)!write(go[1], "x", 1);
                pollfd answer{loaded[0], POLLIN, 0};
                poll(&answer, 1, 300); // a first game waiting for our lock cannot answer
            };
            second.Load();
            beforeNextMove = nullptr;
            close(go[1]); // the first game goes on to its save
            waitpid(first, nullptr, 0);
            close(loaded[0]); // only now: the first game may still write to it
            second.Submit({2, 2, 2}, 2000);
        });
        EXPECT_EQ(printed, "records: " + path + ": line 1 is bad: \"damaged\"; moved it to " +
                               path + ".bad, starting a new table\n")
            << c.name;
        EXPECT_EQ(ReadFileBytes(path + ".bad"), "damaged") << c.name;
        EXPECT_FALSE(fs::exists(path + ".bad.1")) << c.name;
        EXPECT_EQ(ReadFileBytes(path), kVersion + ("1 1 1 1.000" + kDateAndRules) +
                                           "\n2 2 2 2.000" + kDateAndRules + "\n")
            << c.name;
    }
}

TEST(Records, ADamagedFileThatCannotBeMovedIsNeverSavedOver) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    WriteFileBytes(path + ".bad", "");
    for (int number = 1; number <= CAtomicFile::kMaximumSetAsideNumber; ++number) {
        WriteFileBytes(path + ".bad." + std::to_string(number), "");
    }
    WriteFileBytes(path, "damaged");
    CRecords records(scratch.GetPath());
    const std::string printed = PrintedBy([&] {
        records.Load();
        EXPECT_TRUE(records.Submit({3, 500, 17}, 1000));
    });
    EXPECT_EQ(printed, "records: " + path +
                           ": line 1 is bad: \"damaged\"; cant move it aside (File exists), new "
                           "records will not be saved\n");
    EXPECT_EQ(ReadFileBytes(path), "damaged");
}

TEST(Records, AFileThatCannotBeReadIsNeverSavedOver) {
    CScratchDirectory scratch;
    for (const char* directory : {"folder", "fifo", "loop"}) {
        fs::create_directory(scratch.Join(directory));
    }
    fs::create_directory(scratch.Join("folder/records.txt"));
    ASSERT_EQ(mkfifo(scratch.Join("fifo/records.txt").c_str(), 0644), 0); // a read would block
    fs::create_symlink("records.txt", scratch.Join("loop/records.txt"));
    const std::pair<const char*, const char*> cases[] = {
        {"folder", "not a regular file"},
        {"fifo", "not a regular file"},
        {"loop", "Too many levels of symbolic links"},
    };
    for (const auto& [name, reason] : cases) {
        const std::string directory = scratch.Join(name);
        CRecords records(directory);
        const std::string printed = PrintedBy([&] {
            records.Load();
            EXPECT_TRUE(records.Submit({3, 500, 17}, 1000));
        });
        EXPECT_EQ(printed, "records: " + directory + "/records.txt: cant read it (" + reason +
                               "), new records will not be saved\n");
        EXPECT_EQ(records.GetBest({3, 500, 17}), 1000);
    }
    EXPECT_TRUE(fs::is_directory(scratch.Join("folder/records.txt")));
    EXPECT_TRUE(fs::is_fifo(scratch.Join("fifo/records.txt")));
    EXPECT_TRUE(fs::is_symlink(scratch.Join("loop/records.txt")));
}

TEST(Records, AFileThatCannotBeReadAtTheSaveIsNeverSavedOver) {
    // Each case spoils the file after the game has read it and before it saves; another game's
    // record in it must survive, and every way must fail for root too.
    const std::string saved = kVersion + ("3 500 18 90.000" + kDateAndRules) + "\n";
    struct SCase {
        const char* reason;
        void (*spoil)(const std::string& directory, const std::string& path);
        fs::file_type left; // what stays at the path
    };
    const SCase cases[] = {
        {"Permission denied",
         [](const std::string& directory, const std::string& path) {
             chmod(path.c_str(), 0);
             if (geteuid() == 0) { // root reads anything: play on as nobody
                 chmod(directory.c_str(), 0777);
                 if (setuid(65534) != 0) {
                     std::printf("cant give up root\n");
                 }
             }
         },
         fs::file_type::regular},
        {"Too many open files",
         [](const std::string&, const std::string&) {
             const int lowest = open("/dev/null", O_RDONLY | O_CLOEXEC);
             close(lowest);
             const rlimit limit{static_cast<rlim_t>(lowest) + 1, static_cast<rlim_t>(lowest) + 1};
             setrlimit(RLIMIT_NOFILE, &limit); // the lock takes the last descriptor
         },
         fs::file_type::regular},
        {"not a regular file",
         [](const std::string&, const std::string& path) {
             unlink(path.c_str());
             mkfifo(path.c_str(), 0644);
         },
         fs::file_type::fifo},
        {"not a regular file",
         [](const std::string&, const std::string& path) {
             unlink(path.c_str());
             mkdir(path.c_str(), 0755);
         },
         fs::file_type::directory},
    };
    for (const SCase& c : cases) {
        CScratchDirectory scratch;
        const std::string directory = scratch.GetPath();
        const std::string path = scratch.Join("records.txt");
        WriteFileBytes(path, saved);
        const std::string printed = PrintedByChild([&] {
            CRecords records = RecordsIn(directory);
            records.Load();
            c.spoil(directory, path);
            const bool first = records.Submit({3, 500, 17}, 1000);
            const bool second = records.Submit({3, 500, 17}, 900);
            std::printf("taken %d %d, best %lld and %lld\n", first, second,
                        records.GetBest({3, 500, 17}), records.GetBest({3, 500, 18}));
        });
        EXPECT_EQ(printed, "records: " + path + ": cant read it (" + c.reason +
                               "), new records will not be saved\ntaken 1 1, best 900 and 90000\n");
        EXPECT_EQ(fs::symlink_status(path).type(), c.left) << c.reason;
        if (c.left == fs::file_type::regular) {
            chmod(path.c_str(), 0644);
            EXPECT_EQ(ReadFileBytes(path), saved) << c.reason;
        }
    }
}

TEST(Records, ADirectoryThatCannotBeWrittenGivesOneLineAndPlayGoesOn) {
    CScratchDirectory scratch;
    WriteFileBytes(scratch.Join("plain"), "");
    struct SCase {
        std::string directory;
        std::string line;
    };
    // A folder under a plain file fails for root too, where a read-only folder would not.
    const SCase cases[] = {
        {scratch.Join("plain/zelkora"), "records: cant save in " + scratch.Join("plain/zelkora") +
                                            " (Not a directory), playing on without saving\n"},
        {"", "records: cant save in the data directory (no data directory: neither "
             "XDG_DATA_HOME nor HOME is an absolute path), playing on without saving\n"},
    };
    for (const SCase& c : cases) {
        CRecords records(c.directory);
        const std::string printed = PrintedBy([&] {
            records.Load();
            EXPECT_TRUE(records.Submit({3, 500, 17}, 2000));
            EXPECT_TRUE(records.Submit({3, 500, 17}, 1000));
            EXPECT_TRUE(records.Submit({3, 500, 18}, 1000));
        });
        EXPECT_EQ(printed, c.line);
        EXPECT_EQ(records.GetBest({3, 500, 17}), 1000);
    }
}

TEST(Records, TimesAndWorldsTheFileCannotHoldAreRefused) {
    CScratchDirectory scratch;
    CRecords records(scratch.GetPath());
    struct SCase {
        SWorld world;
        long long milliseconds;
        const char* line;
    };
    const SCase cases[] = {
        {{3, 500, 17}, -1, "cant record -1 ms for world 3 500 17"},
        {{3, 500, 17}, CRecords::kTimeLimit, "cant record 8640000000 ms for world 3 500 17"},
        {{3, 0, 17}, 1, "cant record 1 ms for world 3 0 17"},
        {{3, 103999, 17}, 1, "cant record 1 ms for world 3 103999 17"},
        {{3, 500, 2147483648u}, 1, "cant record 1 ms for world 3 500 2147483648"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(PrintedBy([&] { EXPECT_FALSE(records.Submit(c.world, c.milliseconds)); }),
                  "records: " + std::string(c.line) + " (out of range)\n");
    }
    EXPECT_TRUE(records.GetTable().empty());
    EXPECT_FALSE(fs::exists(records.GetPath()));
    // And just inside: the longest tunnel, 103,998 nodes (see the parse cases).
    EXPECT_TRUE(records.Submit({3, 103998, 17}, 1));
}

} // namespace
