// Two real boards behind the repository's nginx configuration on one private PostgreSQL: players
// send real runs through nginx while readers read at full speed, and one board is killed with
// SIGKILL in the middle and started again. Nothing sent may be lost or counted twice.

#include "BoardRun.h"
#include "FileBytes.h"
#include "PostgresServer.h"
#include "Process.h"
#include "ReplayBytes.h"
#include "world/Tunnel.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <map>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int kPlayers = 25;        // each from an address of its own, within the allowances
constexpr int kRunsEach = 8;        // 200 runs in all
constexpr int kKilledAfter = 80;    // submissions answered before board 0 is killed
constexpr std::size_t kSenders = 4; // players sending at once
constexpr int kWorlds = 20;         // seeds 11 to 30, of difficulty 0 and length 120

int FreePort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Two boards and the proxy, each a process of its own in a scratch directory.
class ProxiedBoards : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(directory);
        database = CPostgresServer::Get().NewDatabase();
        std::ofstream(directory / "secret") << std::string(64, 'a') << "\n"; // 64 hex digits
        fs::permissions(directory / "secret", fs::perms::owner_read | fs::perms::owner_write);
        for (int board = 0; board < 2; ++board) {
            ports[board] = FreePort();
            ASSERT_TRUE(StartBoard(board)) << ReadFileBytes(directory / "board0.log");
        }
        proxyPort = FreePort();
        ASSERT_TRUE(StartProxy()) << ReadFileBytes(directory / "nginx.err")
                                  << ReadFileBytes(directory / "nginx.log");
    }
    void TearDown() override {
        for (CChildProcess& board : boards) {
            if (board.IsRunning()) {
                kill(board.GetPid(), SIGTERM);
                board.WaitForExit(10.0);
            }
        }
        if (proxy.IsRunning()) {
            kill(proxy.GetPid(), SIGTERM);
            proxy.WaitForExit(10.0);
        }
        fs::remove_all(directory);
    }

    bool StartBoard(int board) {
        const std::string name = "board" + std::to_string(board);
        const bool started = boards[board].Start(
            {ZELKORA_BOARD_BINARY, "--listen", "127.0.0.1:" + std::to_string(ports[board]),
             "--database", database, "--verifier", ZELKORA_GAME_BINARY, "--day-secret",
             (directory / "secret").string(), "--trusted-proxy", "127.0.0.1"},
            directory.string(), (directory / (name + ".out")).string(),
            (directory / (name + ".log")).string());
        return started && Healthy(ports[board]);
    }

    // The repository's file, with this test's ports and directories in place of the
    // defaults, inside an http block of its own.
    bool StartProxy() {
        std::ifstream file(std::string(ZELKORA_SOURCE_DIR) + "/packaging/nginx/zelkora-board.conf");
        std::string board((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        board = Replaced(board, "127.0.0.1:8717", "127.0.0.1:" + std::to_string(ports[0]));
        board = Replaced(board, "127.0.0.1:8718", "127.0.0.1:" + std::to_string(ports[1]));
        board =
            Replaced(board, "listen 80;", "listen 127.0.0.1:" + std::to_string(proxyPort) + ";");
        board = Replaced(board, "/var/cache/nginx/zelkora-board", (directory / "cache").string());
        const std::string root = directory.string();
        std::ofstream(directory / "nginx.conf")
            << "pid " << root << "/nginx.pid;\nerror_log " << root << "/nginx.log;\n"
            << "events { worker_connections 4096; }\nhttp {\naccess_log "
               "off;\nclient_body_temp_path "
            << root << "/body;\nproxy_temp_path " << root << "/proxy;\n"
            << board << "\n}\n";
        return proxy.Start(
                   {"/usr/sbin/nginx", "-c", root + "/nginx.conf", "-p", root, "-g", "daemon off;"},
                   root, root + "/nginx.out", root + "/nginx.err") &&
               Healthy(proxyPort);
    }

    static bool Healthy(int port) {
        for (int tries = 0; tries < 200; ++tries) {
            httplib::Client client("127.0.0.1", port);
            if (const auto answer = client.Get("/healthz"); answer && answer->status == 200) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    const fs::path directory = fs::temp_directory_path() / ("proxied-" + std::to_string(getpid()));
    std::string database;
    int ports[2] = {};
    int proxyPort = 0;
    CChildProcess boards[2];
    CChildProcess proxy;
};

int Count(pqxx::work& query, const std::string& sql) {
    return query.exec1(sql)[0].as<int>();
}

std::string WorldPath(unsigned seed) {
    return "/api/worlds/0-" + std::to_string(CTunnel::CountRings(0, 120, seed)) + "-" +
           std::to_string(seed);
}

struct SSent {
    std::string player;
    std::string bytes;
};

// Run n: one of the worlds, the throttle let go at another of the first ten frames, while the
// ship still gathers speed (later, every letting go flies the same flight), so that every
// flight is a flight of its own.
std::vector<SSent> Flights() {
    std::vector<SSent> sent;
    for (int k = 0; k < kRunsEach; ++k) {
        for (int p = 0; p < kPlayers; ++p) {
            const int n = k * kPlayers + p;
            sent.push_back(
                {"P" + std::to_string(p),
                 EncodedBytes(FlyTheCourse(0, 120, 11 + n % kWorlds, -1, 1 + n / kWorlds))});
        }
    }
    return sent;
}

TEST_F(ProxiedBoards, ABoardKilledMidwayLosesNothingAndCountsNothingTwice) {
    const std::vector<SSent> sent = Flights();
    std::atomic<bool> reading{true};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        httplib::Client client("127.0.0.1", proxyPort);
        while (reading) {
            reads += client.Get(WorldPath(11).c_str()) ? 1 : 0;
        }
    });
    std::atomic<int> answered{0};
    std::atomic<int> retried{0};
    // Four players' clients at once; one board killed while runs are on their way to it.
    const auto submit = [&](std::size_t first) {
        for (std::size_t n = first; n < sent.size(); n += kSenders) {
            const int p = std::stoi(sent[n].player.substr(1));
            const httplib::Headers headers = {
                {"Authorization", "Bearer Token-" + sent[n].player + "-Wq7Zr2Kd9xP4vLw0mN8bT"},
                {"X-Forwarded-For", "10.0.0." + std::to_string(p + 1)}};
            int status = -1;
            for (int attempt = 0; attempt < 2 && status != 200 && status != 201; ++attempt) {
                httplib::Client client("127.0.0.1", proxyPort);
                client.set_read_timeout(120, 0);
                const auto answer = client.Post(("/api/runs?name=" + sent[n].player).c_str(),
                                                headers, sent[n].bytes, "application/octet-stream");
                status = answer ? answer->status : -1;
                retried += attempt;
            }
            EXPECT_TRUE(status == 200 || status == 201) << "run " << n << ": " << status;
            answered += status == 200 || status == 201;
        }
    };
    std::vector<std::thread> senders;
    for (std::size_t first = 0; first < kSenders; ++first) {
        senders.emplace_back(submit, first);
    }
    while (answered < kKilledAfter) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(boards[0].GetPid(), SIGKILL);
    boards[0].WaitForExit(10.0);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(StartBoard(0));
    for (std::thread& sender : senders) {
        sender.join();
    }
    reading = false;
    reader.join();
    EXPECT_EQ(answered, static_cast<int>(sent.size()));
    EXPECT_GT(reads, 0);

    pqxx::connection sql(database);
    pqxx::work query(sql);
    EXPECT_EQ(Count(query, "SELECT COUNT(*) FROM flights"), static_cast<int>(sent.size()))
        << "every flight kept once";
    for (unsigned seed = 11; seed < 11 + kWorlds; ++seed) {
        const int players =
            Count(query, "SELECT COUNT(*) FROM world_best WHERE seed = " + std::to_string(seed));
        for (const int port : ports) {
            httplib::Client client("127.0.0.1", port);
            const auto board =
                client.Get((WorldPath(seed) + "?player=P" + std::to_string(seed - 11)).c_str());
            ASSERT_TRUE(board && board->status == 200) << port;
            const json read = json::parse(board->body);
            EXPECT_EQ(read["players"], players) << "seed " << seed << " on " << port;
            EXPECT_TRUE(read["player"].is_object()) << "seed " << seed << " on " << port;
        }
    }
    std::printf("proxied boards: %zu runs, %d retried, %d reads\n", sent.size(), retried.load(),
                reads.load());
}

// Milliseconds of the 99th percentile of 200 /healthz reads through the proxy.
double HealthP99(int port) {
    std::vector<double> took;
    httplib::Client client("127.0.0.1", port);
    for (int read = 0; read < 200; ++read) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(client.Get("/healthz"));
        took.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(took.begin(), took.end());
    return took[took.size() * 99 / 100];
}

// A thousand clients that each send a request's first bytes a byte every two seconds cost the
// proxy connections, not the boards' answers to everyone else.
TEST_F(ProxiedBoards, SlowClientsLeaveTheReadsAnsweringAsBefore) {
    const double alone = HealthP99(proxyPort);
    std::vector<int> slow;
    for (int client = 0; client < 1000; ++client) {
        const int connection = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(proxyPort));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        slow.push_back(connection);
    }
    const std::string request = "POST /api/runs?name=Slow HTTP/1.1\r\nHost: x\r\n";
    double crowded = 0.0;
    for (std::size_t byte = 0; byte < 3; ++byte) {
        for (const int connection : slow) {
            send(connection, &request[byte], 1, MSG_NOSIGNAL);
        }
        crowded = std::max(crowded, HealthP99(proxyPort));
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    for (const int connection : slow) {
        close(connection);
    }
    std::printf("health p99 through the proxy: %.1f ms alone, %.1f ms beside 1,000 slow clients\n",
                alone, crowded);
    EXPECT_LE(crowded, 2.0 * alone + 5.0) << "a few milliseconds of the machine's noise allowed";
}

} // namespace
