#include "board/SqliteStore.h"

#include "FileBytes.h"
#include "KeptRun.h"
#include "Process.h"
#include "ToneFiles.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
const std::string kDay = "2026-12-09";

// Run n: player n's first, in one of three worlds; every third is on the day's board too.
void Keep(CBoardStore& store, int n) {
    KeepRun(store, std::to_string(n), "P" + std::to_string(n), {3, 512, 17u + n % 3u},
            60000 + n * 7919 % 5000, n % 3 == 0 ? kDay : "");
}

// What boards on the store serve: each world's board and count, the day's, every replay.
std::string Boards(CBoardStore& store) {
    std::ostringstream boards;
    for (unsigned seed = 17; seed < 20; ++seed) {
        boards << "\nworld " << store.CountBoard({3, 512, seed}) << ":";
        for (const auto& [rank, run] : store.GetBoard({3, 512, seed}, 0, 100000)) {
            boards << " " << rank << run.player;
        }
    }
    boards << "\nday " << store.CountDayBoard(kDay) << ":";
    for (const auto& [rank, run] : store.GetDayBoard(kDay, 0, 100000)) {
        boards << " " << rank << run.player;
    }
    for (const CBoardStore::SRun& run : store.GetLatest(100000)) {
        boards << "\n" << store.FindRun(run.id).value_or(CBoardStore::SRun{}).replay;
    }
    return boards.str();
}

SCommandResult Backup(const std::string& database, const std::string& file) {
    return RunCommand({"sh", "-c", "exec \"$@\" 2>&1", "sh", ZELKORA_BOARD_BINARY, "--database",
                       database, "backup", file},
                      30.0);
}

std::set<fs::path> Files(const fs::path& directory) {
    return {fs::directory_iterator(directory), fs::directory_iterator()};
}

class BoardBackup : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(board.Open(problem)) << problem; }

    const CScratchDirectory scratch;
    const std::string database = scratch.Join("board.sqlite3");
    const std::string copy = scratch.Join("copy.sqlite3");
    std::string problem;
    CSqliteStore board{database};
};

} // namespace

// The real program copies the board while a thread keeps runs on another connection, as a
// serving board does, and a reader holds its snapshot of the empty board all along, so that
// checkpoints leave every run in the WAL, where a copy of the file alone would miss them. The
// copy must be the board at one moment: its first runs, as many as were kept by then.
TEST_F(BoardBackup, ACopyMadeDuringSubmissionsIsTheBoardAtOneMoment) {
    sqlite3* reader = nullptr;
    sqlite3_open_v2(database.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr);
    EXPECT_EQ(sqlite3_exec(reader, "BEGIN; SELECT COUNT(*) FROM runs", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::atomic<int> kept{0};
    std::atomic<bool> stop{false};
    std::thread submitting([&] {
        for (int n = 0; n < 20000 && !stop; ++n) {
            Keep(board, n);
            kept = n + 1;
        }
    });
    while (kept < 200) {
        std::this_thread::yield();
    }
    const int before = kept;
    const SCommandResult backup = Backup("sqlite:" + database, copy);
    const int after = kept;
    stop = true;
    submitting.join();
    sqlite3_close(reader);
    EXPECT_EQ(backup.output, "backed up sqlite:" + database + " to " + copy + "\n");
    EXPECT_EQ(backup.exitCode, 0);

    CSqliteStore copied(copy);
    CSqliteStore thatMoment(":memory:");
    ASSERT_TRUE(copied.Open(problem) && thatMoment.Open(problem)) << problem;
    const int runs = static_cast<int>(copied.GetLatest(100000).size());
    EXPECT_TRUE(runs >= before && runs <= after) << runs << " of " << before << " to " << after;
    for (int n = 0; n < runs; ++n) {
        Keep(thatMoment, n);
    }
    EXPECT_EQ(Boards(copied), Boards(thatMoment));
}

// Each failure: one line, exit code 1, the older copy as it was, no file left or made.
TEST_F(BoardBackup, AFailedBackupSaysWhyAndLeavesTheOlderCopy) {
    WriteFileBytes(copy, "the older copy");
    const std::string none = scratch.Join("none");
    const std::string cases[][3] = {
        {"sqlite:" + none, copy, "cannot read " + none + ": unable to open database file"},
        {"sqlite:" + database, database,
         "the copy " + database + " would replace the database itself"},
        {"sqlite:" + database, none + "/copy",
         "cannot write " + none + "/copy: No such file or directory"},
        {"postgresql://db/board", copy,
         "only an SQLite board is backed up here; for PostgreSQL use pg_dump: pg_dump "
         "--format=custom --file=FILE 'postgresql://...'"},
    };
    const std::set<fs::path> files = Files(scratch.GetPath());
    for (const auto& [url, file, message] : cases) {
        const SCommandResult backup = Backup(url, file);
        EXPECT_EQ(backup.output, "zelkora-board: " + message + "\n");
        EXPECT_EQ(backup.exitCode, 1) << message;
        EXPECT_EQ(ReadFileBytes(copy), "the older copy") << message;
        EXPECT_EQ(Files(scratch.GetPath()), files) << message;
    }
}
