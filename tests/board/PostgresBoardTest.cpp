#include "board/PostgresStore.h"
#include "board/Sha256.h"

#include "BoardRun.h"
#include "PostgresServer.h"
#include "ReplayBytes.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using nlohmann::json;
using SRun = CBoardStore::SRun;

const CBoardStore::SWorld kWorld{3, 512, 17};
const std::string kDay = "2026-12-08";
const std::string kToken = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";

// Run `number` of Ann's: the times are all different, in no order.
SRun AnnsRun(int number) {
    SRun run;
    run.id = std::string(56, '0') + std::to_string(10000000 + number);
    run.player = "Ann";
    run.world = kWorld;
    run.milliseconds = 60000 + (number * 7919 + 123) % 1000 * 10;
    run.submittedAt = 1000 + number;
    run.recordedAt = 900;
    run.gameVersion = "1.2.0";
    run.replay = "ZRP bytes of " + std::to_string(number);
    return run;
}

int Status(const httplib::Result& result) {
    return result ? result->status : -1;
}

// A port nothing listens on now, for a server to take.
int FreePort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    return ntohs(address.sin_port);
}

// A real zelkora-board on loopback, checking with the real game, killed when it goes or when
// this program dies.
class CBoardProcess {
public:
    CBoardProcess(const std::string& database, const std::string& scratch)
        : port(FreePort()), log(scratch + "/board-" + std::to_string(port) + ".log") {
        const std::vector<std::string> argv = {
            ZELKORA_BOARD_BINARY, "--listen", "127.0.0.1:" + std::to_string(port),
            "--database",         database,   "--verifier",
            ZELKORA_GAME_BINARY};
        std::vector<char*> arguments;
        for (const std::string& argument : argv) {
            arguments.push_back(const_cast<char*>(argument.c_str()));
        }
        arguments.push_back(nullptr);
        const pid_t parent = getpid();
        pid = fork();
        if (pid == 0) {
            const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err < 0 || dup2(err, STDERR_FILENO) < 0 || setenv("TMPDIR", scratch.c_str(), 1) ||
                prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
                _exit(126);
            }
            execv(arguments[0], arguments.data());
            _exit(127);
        }
    }
    ~CBoardProcess() { Kill(); }
    CBoardProcess(const CBoardProcess&) = delete;
    CBoardProcess& operator=(const CBoardProcess&) = delete;

    // Answering within the time, or its log.
    testing::AssertionResult Ready() {
        for (int i = 0; i < 300 && pid > 0; ++i) {
            if (Status(Get("/healthz")) == 200) {
                return testing::AssertionSuccess();
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1; // it gave up: its log says why
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::ifstream file(log);
        return testing::AssertionFailure() << "the board did not start: " << file.rdbuf();
    }
    void Kill() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    httplib::Result Get(const std::string& path) { return Client().Get(path.c_str()); }
    httplib::Result Submit(const std::string& name, const std::string& bytes) {
        const httplib::Headers headers = {{"Authorization", "Bearer " + kToken}};
        return Client().Post(("/api/runs?name=" + name).c_str(), headers, bytes,
                             "application/octet-stream");
    }
    // Until the server runs a check, for at most ten seconds.
    bool WaitForACheck() {
        for (int i = 0; i < 1000; ++i) {
            const auto metrics = Get("/metrics");
            if (metrics && metrics->body.find("checks_in_flight 1\n") != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    httplib::Client Client() const {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(5, 0);
        client.set_read_timeout(60, 0);
        return client;
    }

    int port;
    std::string log;
    pid_t pid = -1;
};

std::string WorldPath(const CReplay& replay) {
    return "/api/worlds/" + std::to_string(replay.world.difficulty) + "-" +
           std::to_string(replay.world.nodes) + "-" + std::to_string(replay.world.seed);
}

json BoardRuns(const httplib::Result& board) {
    return board && board->status == 200 ? json::parse(board->body)["runs"] : json();
}

} // namespace

// Two servers' stores take runs of one player in one world at the same moment, from several
// threads each, half of them within the day's window.
TEST(PostgresStore, OnePlayersRunsAtOnceFromTwoServersLeaveTheFastestAndNoStrayRun) {
    const std::string url = CPostgresServer::Get().NewDatabase();
    CPostgresStore first(url);
    CPostgresStore second(url);
    // Both start at once on the new database: one makes the schema, the other finds it.
    std::string problems[2];
    bool opened[2] = {false, false};
    std::thread starting([&] { opened[1] = second.Open(problems[1]); });
    opened[0] = first.Open(problems[0]);
    starting.join();
    ASSERT_TRUE(opened[0] && opened[1]) << problems[0] << problems[1];
    ASSERT_EQ(first.ClaimName("Ann", "ann", "token"), CBoardStore::EName::Claimed);

    constexpr int kThreads = 8;
    constexpr int kRunsEach = 25;
    long long fastest = LLONG_MAX;
    long long fastestOfDay = LLONG_MAX;
    for (int number = 0; number < kThreads * kRunsEach; ++number) {
        fastest = std::min(fastest, AnnsRun(number).milliseconds);
        fastestOfDay =
            number % 2 ? std::min(fastestOfDay, AnnsRun(number).milliseconds) : fastestOfDay;
    }
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            CPostgresStore& store = thread % 2 ? second : first;
            while (!go) {
                std::this_thread::yield();
            }
            for (int number = thread * kRunsEach; number < (thread + 1) * kRunsEach; ++number) {
                store.Submit(AnnsRun(number), "ann", number % 2 ? kDay : "");
            }
        });
    }
    go = true;
    for (std::thread& thread : threads) {
        thread.join();
    }

    const auto board = first.GetBoard(kWorld, 0, 10);
    ASSERT_EQ(board.size(), 1u);
    EXPECT_EQ(board[0].run.milliseconds, fastest);
    const auto day = second.GetDayBoard(kDay, 0, 10);
    ASSERT_EQ(day.size(), 1u);
    EXPECT_EQ(day[0].run.milliseconds, fastestOfDay);
    std::set<std::string> kept;
    for (const SRun& run : first.GetLatest(1000)) {
        kept.insert(run.id);
    }
    EXPECT_EQ(kept, (std::set<std::string>{board[0].run.id, day[0].run.id}))
        << "every run left is a best";
}

// Two real servers on one database, as a deployment behind a balancer runs them.
TEST(PostgresBoard, TwoServersShareEveryRunAndOneKilledMidCheckLosesNothing) {
    const std::string url = CPostgresServer::Get().NewDatabase();
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("board-pair-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    std::vector<CReplay> flown;
    std::vector<std::string> bytes;
    for (unsigned seed = 41; seed <= 45; ++seed) {
        flown.push_back(FlyTheCourse(0, 120, seed));
        bytes.push_back(EncodedBytes(flown.back()));
    }
    {
        CBoardProcess boards[2] = {{url, scratch}, {url, scratch}};
        ASSERT_TRUE(boards[0].Ready());
        ASSERT_TRUE(boards[1].Ready());
        for (int i = 0; i < 4; ++i) { // read once while empty: neither may answer from memory
            EXPECT_EQ(BoardRuns(boards[i % 2].Get(WorldPath(flown[i]))), json::array());
        }

        // Four runs at once, two to each server.
        int statuses[4] = {};
        std::vector<std::thread> submitting;
        for (int i = 0; i < 4; ++i) {
            submitting.emplace_back([&, i] {
                statuses[i] = Status(boards[i % 2].Submit("P" + std::to_string(i), bytes[i]));
            });
        }
        for (std::thread& thread : submitting) {
            thread.join();
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(statuses[i], 201) << "run " << i;
            const json runs = BoardRuns(boards[0].Get(WorldPath(flown[i])));
            EXPECT_EQ(runs, BoardRuns(boards[1].Get(WorldPath(flown[i])))) << "world " << i;
            EXPECT_TRUE(runs.size() == 1 && runs[0]["player"] == "P" + std::to_string(i))
                << runs.dump();
        }

        std::thread doomed([&] { boards[0].Submit("P4", bytes[4]); });
        EXPECT_TRUE(boards[0].WaitForACheck());
        boards[0].Kill();
        doomed.join();
        for (int i = 0; i < 4; ++i) {
            const auto replay = boards[1].Get("/api/runs/" + CSha256::Hex(bytes[i]) + "/replay");
            EXPECT_EQ(Status(replay), 200) << "run " << i;
            EXPECT_TRUE(replay && replay->body == bytes[i]) << "run " << i;
        }
        EXPECT_EQ(Status(boards[1].Submit("P4", bytes[4])), 201) << "nothing of it was left";
    }
    CPostgresStore store(url);
    std::string problem;
    ASSERT_TRUE(store.Open(problem)) << problem;
    const std::vector<SRun> runs = store.GetLatest(100);
    EXPECT_EQ(runs.size(), 5u);
    for (const SRun& run : runs) {
        const auto board = store.GetBoard(run.world, 0, 10);
        EXPECT_TRUE(board.size() == 1 && board[0].run.id == run.id) << "a run no best refers to";
    }
    std::error_code ignored; // a check the killed server started may still be ending
    std::filesystem::remove_all(scratch, ignored);
}
