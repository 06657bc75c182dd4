#include "board/BoardService.h"
#include "board/BoardPages.h"
#include "board/SqliteStore.h"

#include "BoardRun.h"
#include "ReplayBytes.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace {

using nlohmann::json;

// Monday 7 December 2026, 12:00 UTC.
constexpr std::int64_t kMonday = 1796644800;
const std::string kToken = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";

// A board on loopback with a scratch SQLite file, checking with the real game.
class Board {
public:
    explicit Board(CBoardService::SSettings settings = {},
                   std::string verifier = ZELKORA_GAME_BINARY)
        : directory(std::filesystem::temp_directory_path() /
                    ("board-service-" + std::to_string(getpid()))),
          store((std::filesystem::create_directories(directory), directory / "board.sqlite3")
                    .string()),
          checker(std::move(verifier), directory.string(), CRunChecker::SLimits{}) {
        std::string problem;
        EXPECT_TRUE(store.Open(problem)) << problem;
        settings.perMinute = settings.perMinute == 10 ? 100 : settings.perMinute;
        service = std::make_unique<CBoardService>(store, checker, settings, [] { return kMonday; });
        EXPECT_TRUE(service->Bind("127.0.0.1", 0, problem)) << problem;
        serving = std::thread([this] { service->Serve(); });
        client = std::make_unique<httplib::Client>("127.0.0.1", service->GetPort());
        client->set_read_timeout(120, 0);
    }
    ~Board() {
        service->Stop();
        serving.join();
        std::filesystem::remove_all(directory);
    }

    httplib::Result Submit(const std::string& name, const std::string& bytes,
                           const std::string& token = kToken) {
        // A client of its own: one client sends one request at a time.
        httplib::Client submitter("127.0.0.1", service->GetPort());
        submitter.set_read_timeout(120, 0);
        const httplib::Headers headers = {{"Authorization", "Bearer " + token}};
        return submitter.Post(("/api/runs?name=" + name).c_str(), headers, bytes,
                              "application/octet-stream");
    }

    std::filesystem::path directory;
    CSqliteStore store;
    CRunChecker checker;
    std::unique_ptr<CBoardService> service;
    std::thread serving;
    std::unique_ptr<httplib::Client> client;
};

// count zero bytes packed by zlib, a little at a time; gzip's wrapper when asked.
std::string PackedZeros(std::size_t count, bool gzip) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, gzip ? 31 : 15, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, '\0');
    std::string packed;
    char out[1 << 16];
    for (std::size_t left = count; left > 0 || stream.avail_in > 0;) {
        if (stream.avail_in == 0) {
            const std::size_t now = std::min(left, zeros.size());
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
            stream.avail_in = static_cast<uInt>(now);
            left -= now;
        }
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = sizeof out;
        deflate(&stream, left == 0 ? Z_FINISH : Z_NO_FLUSH);
        packed.append(out, sizeof out - stream.avail_out);
    }
    for (int result = Z_OK; result != Z_STREAM_END;) {
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = sizeof out;
        result = deflate(&stream, Z_FINISH);
        packed.append(out, sizeof out - stream.avail_out);
    }
    deflateEnd(&stream);
    return packed;
}

void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::string ARealRun() {
    static const std::string bytes = EncodedBytes(FlyTheCourse(0, 120, 11));
    return bytes;
}

int Status(const httplib::Result& result) {
    return result ? result->status : -1;
}

} // namespace

TEST(BoardService, ARunIsCheckedRankedAndServedAndEveryRefusalSaysWhy) {
    Board board;
    const std::string bytes = ARealRun();
    const auto first = board.Submit("Ann", bytes);
    ASSERT_EQ(Status(first), 201) << (first ? first->body : "no answer");
    const json kept = json::parse(first->body);
    EXPECT_EQ(kept["rank"], 1);
    EXPECT_EQ(kept["world"]["difficulty"], 0);
    EXPECT_EQ(kept["world"]["seed"], 11);
    const std::string id = kept["id"];

    const auto again = board.Submit("Ann", bytes);
    EXPECT_EQ(Status(again), 200);
    const json known = json::parse(again->body);
    EXPECT_EQ(known["id"], id) << "the same run back";
    EXPECT_EQ(known["rank"], 1);
    EXPECT_EQ(known["kept"], true);
    EXPECT_EQ(Status(board.Submit("aNN", bytes, std::string(32, 'B'))), 403) << "a stolen name";

    CReplay forged;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(bytes, forged, problem));
    forged.finishClock -= 0.5;
    const auto faster = board.Submit("Bo", CUncheckedReplayWriter::Encode(forged));
    EXPECT_EQ(Status(faster), 422);
    forged.gameVersion = "1.1.0";
    EXPECT_EQ(Status(board.Submit("Bo", CUncheckedReplayWriter::Encode(forged))), 409);
    EXPECT_EQ(Status(board.Submit("Bo", "not a replay")), 400);
    EXPECT_EQ(Status(board.Submit("<b>Bo</b>", bytes)), 400);
    EXPECT_EQ(Status(board.Submit("Bo", bytes, "short")), 401);
    EXPECT_EQ(Status(board.Submit("Bo", std::string((1 << 20) + 1, 'x'))), 413);

    const std::string worldPath =
        "/api/worlds/0-" + std::to_string(int(kept["world"]["nodes"])) + "-11";
    const auto world = board.client->Get((worldPath + "?player=ann").c_str());
    ASSERT_EQ(Status(world), 200);
    EXPECT_EQ(json::parse(world->body)["runs"][0]["player"], "Ann");
    EXPECT_EQ(json::parse(world->body)["player"]["rank"], 1) << "the player's own line";
    const auto nobody = board.client->Get((worldPath + "?player=Bo").c_str());
    EXPECT_TRUE(json::parse(nobody->body)["player"].is_null());
    const auto replay = board.client->Get(("/api/runs/" + id + "/replay").c_str());
    ASSERT_EQ(Status(replay), 200);
    EXPECT_EQ(replay->body, bytes);
    EXPECT_EQ(Status(board.client->Get("/api/worlds/0-1-2?page=100001")), 400);
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200);
    const auto metrics = board.client->Get("/metrics");
    ASSERT_EQ(Status(metrics), 200);
    EXPECT_NE(metrics->body.find("zelkora_board_runs_accepted_total 1\n"), std::string::npos);
    EXPECT_NE(metrics->body.find("zelkora_board_runs_refused_total{reason=\"not_verified\"} 1\n"),
              std::string::npos)
        << metrics->body;
}

// One worker busy with a slow check and no room to wait: the next run is told to come back.
TEST(BoardService, AFullQueueAsksToRetryAndAPlayerHasAMinutesAllowance) {
    CBoardService::SSettings settings;
    settings.workers = 1;
    settings.queue = 0;
    settings.perMinute = 3;
    const std::string slow = (std::filesystem::temp_directory_path() / "board-slow-check").string();
    std::ofstream(slow) << "#!/bin/sh\nexec sleep 3\n";
    std::filesystem::permissions(slow, std::filesystem::perms::owner_all);
    const std::string bytes = ARealRun();
    Board board(settings, slow);
    std::thread first([&] { board.Submit("Ann", bytes); });
    for (int i = 0; i < 500; ++i) { // until the slow check runs
        const auto metrics = board.client->Get("/metrics");
        if (metrics && metrics->body.find("checks_in_flight 1\n") != std::string::npos) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto full = board.Submit("Bo", bytes);
    EXPECT_EQ(Status(full), 503);
    EXPECT_EQ(full->get_header_value("Retry-After"), "5");
    first.join();
    EXPECT_EQ(Status(board.Submit("Cy", "x")), 400);
    EXPECT_EQ(Status(board.Submit("Cy", "x")), 400);
    EXPECT_EQ(Status(board.Submit("Cy", "x")), 400);
    EXPECT_EQ(Status(board.Submit("Cy", "x")), 429);
    std::filesystem::remove(slow);
}

// The world of a day and what counts for its board, by hand: Monday 7 December 2026 is
// difficulty 2, seed 20261207.
TEST(BoardService, ADaysBoardTakesItsWorldsRunsOfThatDayAndTheHourAfter) {
    const CBoardStore::SWorld monday = CBoardService::DailyWorld("2026-12-07");
    EXPECT_EQ(monday.difficulty, 2);
    EXPECT_EQ(monday.seed, 20261207u);
    EXPECT_EQ(monday.nodes, CTunnel::CountRings(2, 1000, 20261207));
    EXPECT_EQ(CBoardService::DailyWorld("2026-13-07").nodes, 0);
    const std::int64_t endOfMonday = 1796688000; // 2026-12-08 00:00 UTC
    EXPECT_EQ(CBoardService::DayOf(monday, kMonday), "2026-12-07");
    EXPECT_EQ(CBoardService::DayOf(monday, endOfMonday + 3599), "2026-12-07");
    EXPECT_EQ(CBoardService::DayOf(monday, endOfMonday + 3600), "");
    EXPECT_EQ(CBoardService::DayOf(monday, endOfMonday - 86400 - 1), "") << "Sunday";
    CBoardStore::SWorld other = monday;
    other.seed += 1;
    EXPECT_EQ(CBoardService::DayOf(other, kMonday), "");
}

TEST(BoardPages, EveryNameAndValueIsEscaped) {
    EXPECT_EQ(CBoardPages::Escape("<b onclick='x'>\"&\x01"),
              "&lt;b onclick=&#39;x&#39;&gt;&quot;&amp;&#xfffd;");
    CBoardStore::SRankedRun ranked;
    ranked.rank = 1;
    ranked.run.player = "<script>";
    ranked.run.id = std::string(64, 'a');
    const std::string page = CBoardPages::World({3, 512, 17}, {ranked}, 1, 1);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
}

// Bodies that would cost the server dearly, and a client that never finishes: each is refused
// alone, and the board goes on answering.
TEST(BoardService, HostileRequestsAreRefusedAndTheBoardGoesOn) {
    CBoardService::SSettings settings;
    settings.readTimeoutSeconds = 1;
    Board board(settings);
    // A gzip body, which the library would inflate without a limit: refused before it is read.
    // A small one, read whole with the headers: the answer then comes before the socket closes.
    const httplib::Headers gzip = {{"Authorization", "Bearer " + kToken},
                                   {"Content-Encoding", "gzip"}};
    const auto bomb = board.client->Post("/api/runs?name=Ann", gzip, PackedZeros(1u << 20, true),
                                         "application/octet-stream");
    EXPECT_EQ(Status(bomb), 415);
    // A replay whose frames claim an hour of frames and unpack from a few kilobytes of zeros.
    std::string packed = ARealRun().substr(0, 88) + PackedZeros(50u << 20, false);
    PutLittleEndian(packed, 48, 864000);
    PutLittleEndian(packed, 84, 50u << 20);
    PutLittleEndian(packed, 8, static_cast<std::uint32_t>(packed.size() + 4));
    const std::uint32_t sum = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(packed.data()), static_cast<uInt>(packed.size())));
    packed += std::string(4, '\0');
    PutLittleEndian(packed, packed.size() - 4, sum);
    const auto replayBomb = board.Submit("Ann", packed);
    EXPECT_EQ(Status(replayBomb), 400) << (replayBomb ? replayBomb->body : "");

    // A client that promises a body and sends three bytes of it: dropped after the timeout.
    const int slow = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(board.service->GetPort()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(slow, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string partial = "POST /api/runs?name=Ann HTTP/1.1\r\nHost: x\r\n"
                                "Content-Length: 1000\r\n\r\nZRP";
    ASSERT_EQ(write(slow, partial.data(), partial.size()), static_cast<ssize_t>(partial.size()));
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200) << "others are answered meanwhile";
    timeval wait{20, 0};
    setsockopt(slow, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char answer[256];
    EXPECT_GE(read(slow, answer, sizeof answer), 0) << "closed or answered, not left hanging";
    close(slow);
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200);
}
