#include "board/PostgresStore.h"
#include "board/Sha256.h"

#include "BoardRun.h"
#include "BoardServer.h"
#include "PostgresServer.h"
#include "Process.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using nlohmann::json;
using SRun = CBoardStore::SRun;

constexpr int kThreads = 8;
constexpr int kWorlds = 10;

// Ann's run of a world from one thread: each world has the threads' times in another order,
// the fastest always 60 s. The odd worlds are days' worlds.
SRun AnnsRun(int thread, int world) {
    SRun run;
    const int number = world * kThreads + thread;
    run.id = std::string(56, '0') + std::to_string(10000000 + number);
    run.player = "Ann";
    run.world = {3, 512, 17u + world};
    run.milliseconds = 60000 + (thread * 3 + world) % kThreads * 100;
    run.submittedAt = 1000 + number;
    run.flight = "flight " + run.id;
    return run;
}

std::string DayOf(int world) {
    return world % 2 == 1 ? "2026-12-1" + std::to_string(world) : "";
}

// A real zelkora-board on loopback checking with the real game; killed when it goes.
struct SBoard : CBoardServer {
    SBoard(const std::string& database, const CScratchDirectory& scratch)
        : CBoardServer(database, scratch.GetPath(),
                       scratch.Join("board-" + std::to_string(++made))) {}
    httplib::Result Get(const std::string& path) const { return httplib::Client(Url()).Get(path); }
    httplib::Result Submit(const std::string& name, const std::string& bytes) {
        return PostRun(port, name, bytes, "Zk3v9QpL2mXw8RtY4uHb7N");
    }
    json Board(const CReplay& flown) {
        const auto board = Get("/api/worlds/0-" + std::to_string(flown.world.nodes) + "-" +
                               std::to_string(flown.world.seed));
        return Status(board) == 200 ? json::parse(board->body)["runs"] : json();
    }

    static inline int made = 0;
};

} // namespace

// Two servers' stores take Ann's runs of a world at the same moment from eight threads, world
// after world. Each thread finds the world empty, so a run that went on the board and was then
// beaten must be cleared by a submission that never read it.
TEST(PostgresStore, OnePlayersRunsAtOnceFromTwoServersLeaveTheFastestAndNoStrayRun) {
    const std::string url = CPostgresServer::Get().NewDatabase();
    CPostgresStore stores[2] = {CPostgresStore(url), CPostgresStore(url)};
    std::string problems[2];
    bool opened[2] = {false, false};
    std::thread starting([&] { opened[1] = stores[1].Open(problems[1]); }); // on a new database
    opened[0] = stores[0].Open(problems[0]);
    starting.join();
    ASSERT_TRUE(opened[0] && opened[1]) << problems[0] << problems[1];
    ASSERT_EQ(stores[0].ClaimName("Ann", "ann", "token"), CBoardStore::EName::Claimed);

    std::atomic<int> arrived{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            for (int world = 0; world < kWorlds; ++world) {
                ++arrived; // every thread sets out on a world together
                while (arrived < (world + 1) * kThreads) {
                    std::this_thread::yield();
                }
                stores[thread % 2].Submit(AnnsRun(thread, world), "ann", DayOf(world));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    std::set<std::string> bests;
    for (int world = 0; world < kWorlds; ++world) {
        const auto board = stores[world % 2].GetBoard(AnnsRun(0, world).world, 0, 10);
        ASSERT_EQ(board.size(), 1u) << "world " << world;
        EXPECT_EQ(board[0].run.milliseconds, 60000) << "world " << world;
        bests.insert(board[0].run.id);
        const auto day = stores[1 - world % 2].GetDayBoard(DayOf(world), 0, 10);
        EXPECT_TRUE(world % 2 == 0 || (day.size() == 1 && day[0].run.id == board[0].run.id))
            << "world " << world;
    }
    std::set<std::string> left;
    for (const SRun& run : stores[0].GetLatest(1000)) {
        left.insert(run.id);
    }
    EXPECT_EQ(left, bests) << "no run but the bests is left";
}

// Two real servers on one database, as behind a load balancer.
TEST(PostgresBoard, TwoServersShareEveryRunAndOneKilledMidCheckLosesNothing) {
    const std::string url = CPostgresServer::Get().NewDatabase();
    const CScratchDirectory scratch; // the boards' logs and their checks' files
    CPostgresStore store(url);       // the operator's, from another process
    std::string problem;
    ASSERT_TRUE(store.Open(problem)) << problem;
    std::vector<CReplay> flown;
    std::vector<std::string> bytes;
    for (unsigned seed = 41; seed <= 45; ++seed) {
        flown.push_back(FlyTheCourse(0, 120, seed));
        bytes.push_back(EncodedBytes(flown.back()));
    }
    {
        SBoard boards[2] = {{url, scratch}, {url, scratch}};
        ASSERT_TRUE(boards[0].Ready() && boards[1].Ready());
        for (int i = 0; i < 4; ++i) { // read while empty: no server may answer from memory later
            EXPECT_EQ(boards[i % 2].Board(flown[i]), json::array());
        }
        int statuses[4] = {};
        std::vector<std::thread> submitting;
        for (int i = 0; i < 4; ++i) { // at once, two to each server
            submitting.emplace_back([&, i] {
                statuses[i] = Status(boards[i % 2].Submit("P" + std::to_string(i), bytes[i]));
            });
        }
        for (std::thread& thread : submitting) {
            thread.join();
        }
        for (int i = 0; i < 4; ++i) {
            const json runs = boards[0].Board(flown[i]);
            EXPECT_EQ(statuses[i], 201) << "run " << i;
            EXPECT_EQ(runs, boards[1].Board(flown[i])) << "world " << i;
            EXPECT_TRUE(runs.size() == 1 && runs[0]["player"] == "P" + std::to_string(i)) << runs;
        }

        std::thread doomed([&] { boards[0].Submit("P4", bytes[4]); });
        EXPECT_TRUE(Eventually(10.0, [&] { return IsChecking(boards[0].Get("/metrics")); }));
        kill(boards[0].process.GetPid(), SIGKILL);
        doomed.join();
        for (int i = 0; i < 4; ++i) {
            const auto replay = boards[1].Get("/api/runs/" + CSha256::Hex(bytes[i]) + "/replay");
            EXPECT_TRUE(Status(replay) == 200 && replay->body == bytes[i]) << "run " << i;
        }
        EXPECT_EQ(Status(boards[1].Submit("P4", bytes[4])), 201) << "nothing of it was left";

        // The operator removes P4 from another process: the board that showed the run, from
        // memory since, drops it within a second.
        EXPECT_EQ(boards[1].Board(flown[4]).size(), 1u);
        ASSERT_TRUE(store.RemoveName("p4"));
        Eventually(3.0, [&] { return boards[1].Board(flown[4]).empty(); });
        EXPECT_EQ(boards[1].Board(flown[4]), json::array()) << "another's removal seen";
    }
    const std::vector<SRun> runs = store.GetLatest(100);
    EXPECT_EQ(runs.size(), 4u) << "P4's removed";
    for (const SRun& run : runs) {
        const auto board = store.GetBoard(run.world, 0, 10);
        EXPECT_TRUE(board.size() == 1 && board[0].run.id == run.id) << "a run no best refers to";
    }
}
