#include "board/BoardService.h"
#include "board/BoardPages.h"
#include "board/Sha256.h"
#include "board/SqliteStore.h"
#include "world/Tunnel.h"

#include "BoardRun.h"
#include "InProcessBoard.h"
#include "KeptRun.h"
#include "RawConnection.h"
#include "ReplayBytes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <zlib.h>

namespace {

using nlohmann::json;

const std::string kOtherToken = "Qw8Er5Ty2Ui9Op3As6Df1Gh4Jk7Lz0Xc";
using Board = CInProcessBoard;

// count zero bytes packed by zlib, a little at a time; gzip's wrapper when asked.
std::string PackedZeros(std::size_t count, bool gzip) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, gzip ? 31 : 15, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, '\0');
    std::string packed;
    char out[1 << 16];
    std::size_t left = count;
    for (int result = Z_OK; result != Z_STREAM_END;) {
        if (stream.avail_in == 0 && left > 0) {
            const std::size_t now = std::min(left, zeros.size());
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
            stream.avail_in = static_cast<uInt>(now);
            left -= now;
        }
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = sizeof out;
        result = deflate(&stream, left == 0 ? Z_FINISH : Z_NO_FLUSH);
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

std::string Reason(const httplib::Result& result) {
    return result && json::accept(result->body) ? json::parse(result->body).value("error", "") : "";
}

// A run's bytes without their checksum, made whole: the length field and the checksum right.
std::string Sealed(std::string bytes) {
    PutLittleEndian(bytes, 8, static_cast<std::uint32_t>(bytes.size() + 4));
    const std::uint32_t sum = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    bytes += std::string(4, '\0');
    PutLittleEndian(bytes, bytes.size() - 4, sum);
    return bytes;
}

// The same frames packed again, at another zlib level: other bytes, the same run. The header is
// kept as it is.
std::string Repacked(const std::string& bytes) {
    std::string payload(1 << 20, '\0');
    uLongf size = payload.size();
    uncompress(reinterpret_cast<Bytef*>(&payload[0]), &size,
               reinterpret_cast<const Bytef*>(bytes.data() + 88), bytes.size() - 92);
    std::string packed(compressBound(size), '\0');
    uLongf packedSize = packed.size();
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef*>(payload.data()), size, 1);
    return Sealed(bytes.substr(0, 88) + packed.substr(0, packedSize));
}

// The run with its header changed by edit, written as the game would write it.
template <typename Edit> std::string Edited(const std::string& bytes, Edit edit) {
    CReplay replay;
    std::string problem;
    EXPECT_TRUE(CReplay::Decode(bytes, replay, problem)) << problem;
    edit(replay);
    return CUncheckedReplayWriter::Encode(replay);
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
    EXPECT_EQ(Status(board.Submit("aNN", bytes, kOtherToken)), 403) << "a stolen name";

    const std::string faster = Edited(bytes, [](CReplay& r) { r.finishClock -= 0.5; });
    EXPECT_EQ(Status(board.Submit("Bo", faster)), 422);
    const std::string older = Edited(faster, [](CReplay& r) { r.gameVersion = "1.1.0"; });
    EXPECT_EQ(Status(board.Submit("Bo", older)), 409);
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
    EXPECT_EQ(Status(board.client->Get(("/api/runs/" + id).c_str())), 200);
    EXPECT_EQ(Status(board.client->Get("/api/worlds/0-1-2?page=100001")), 400);
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200);
    for (int read = 0; read < 2; ++read) { // rendered, then from memory
        EXPECT_EQ(Status(board.client->Get(worldPath.c_str())), 200);
    }
    const auto metrics = board.client->Get("/metrics");
    ASSERT_EQ(Status(metrics), 200);
    const std::string prefix = "zelkora_board_";
    for (const std::string line :
         {"runs_accepted_total 1", "runs_refused_total{reason=\"not_verified\"} 1",
          "cache_hits_total 1", "cache_misses_total 1",
          "request_seconds_count{route=\"/api/worlds/D-N-S\"} 5",
          "request_seconds_count{route=\"/api/runs/ID/replay\"} 1",
          "request_seconds_count{route=\"/api/runs/ID\"} 1",
          "request_seconds_bucket{route=\"/healthz\",le=\"+Inf\"} 1",
          "request_seconds_count{route=\"other\"} 0"}) {
        EXPECT_NE(metrics->body.find("\n" + prefix + line + "\n"), std::string::npos) << line;
    }
}

// One worker busy with a slow check and no room to wait: the next run is told to come back.
TEST(BoardService, AFullQueueAsksToRetryAndAPlayerHasAMinutesAllowance) {
    CBoardService::SSettings settings;
    settings.workers = 1;
    settings.queue = 0;
    settings.perMinute = 3;
    const CScratchDirectory scratch;
    const std::string slow = scratch.Join("slow-check");
    std::ofstream(slow) << "#!/bin/sh\nexec sleep 3\n";
    std::filesystem::permissions(slow, std::filesystem::perms::owner_all);
    const std::string bytes = ARealRun();
    Board board(settings, slow);
    std::thread first([&] { board.Submit("Ann", bytes); });
    Eventually(5.0, [&] { return IsChecking(board.client->Get("/metrics")); });
    const auto full = board.Submit("Bo", bytes);
    EXPECT_EQ(Status(full), 503);
    EXPECT_EQ(full->get_header_value("Retry-After"), "5");
    first.join();
    for (const int status : {400, 400, 400, 429}) { // three a minute
        EXPECT_EQ(Status(board.Submit("Cy", "x")), status);
    }
}

TEST(BoardPages, EveryNameAndValueIsEscaped) {
    EXPECT_EQ(CBoardPages::Escape("<b onclick='x'>\"&\x01"),
              "&lt;b onclick=&#39;x&#39;&gt;&quot;&amp;&#xfffd;");
    CBoardStore::SRankedRun ranked;
    ranked.rank = 1;
    ranked.run.player = "<script>";
    ranked.run.id = std::string(64, 'a');
    const std::string page = CBoardPages::World({3, 512, 17}, {ranked}, 1, 1, {ranked});
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
}

// Each read: a run's own page, the world's chart and the links to runs, the replay as a file
// named for what it is (a name written as markup is never markup, in a page or a header); and
// as a proxy sees it, its Cache-Control and an ETag that is its body's hash, which a client that
// holds it gets as 304 with no body. Refusals are never kept, the board's or the server's. A
// day's world is the board's and not known before its day.
TEST(BoardPages, EachReadHasItsContentsAndTellsProxiesHowLongToKeepIt) {
    Board board;
    const CBoardStore::SWorld seventh = board.days.WorldOf("2026-12-07");
    const std::string day = "2026-12-07";
    const std::string eve =
        KeepRun(board.store, "e", "<i>Eve</i>", seventh, 61005, day, {20000, 40000});
    const std::string ann = KeepRun(board.store, "a", "Ann", seventh, 83412, "", {30000, 61000});
    const std::string annToday =
        KeepRun(board.store, "b", "Ann", seventh, 95000, day, {31000, 62000});
    const std::string bo = KeepRun(board.store, "c", "Bo", seventh, 90000, day); // splits unread
    const std::string world = CBoardPages::WorldPath(seventh);
    const std::string file = "zelkora-" + world.substr(8) + "-";
    const nlohmann::json announced = {
        {"difficulty", 2}, {"length", 1000}, {"nodes", seventh.nodes}, {"seed", seventh.seed}};
    constexpr const char* json = "application/json";
    constexpr const char* html = "text/html; charset=utf-8";
    struct SCase {
        std::string path;
        std::vector<std::string> holds;
        std::string type = html;
        std::string caching = "public, max-age=1, stale-while-revalidate=10";
        std::string disposition = ""; // none but for a replay
        int status = 200;
    };
    const SCase cases[] = {
        {"/runs/" + ann,
         {"<td class=\"player\">Ann</td>", "1:23.41", "2 of 3 players",
          "<td>2</td><td class=\"time\">1:01.00", "href=\"" + world + "\"",
          "href=\"/api/runs/" + ann + "/replay\" download=\"" + file + "Ann.zrp\""}},
        {"/runs/" + annToday, {"1:35.00", "off the board"}},
        {"/runs/" + eve, {"&lt;i&gt;Eve&lt;/i&gt;", "1 of 3 players", file + "_i_Eve__i_.zrp"}},
        {"/api/runs/" + eve + "/replay",
         {"ZRP " + eve},
         CBoardPages::kReplayType,
         "public, max-age=31536000, immutable",
         "attachment; filename=\"" + file + "_i_Eve__i_.zrp\""},
        // Eve the fastest, flat along the top; Bo's loss the largest, at the bottom; Bo's
        // splits unread, his line goes from the start to the finish alone.
        {world,
         {"<svg", "points=\"70.0,20.0 220.0,20.0 370.0,20.0 520.0,20.0\"",
          "points=\"70.0,20.0 520.0,230.0\"", "href=\"/runs/" + ann + "\""}},
        {world + "?page=1", {"<svg"}},
        {"/days/" + day, {"href=\"/runs/" + annToday + "\"", "href=\"/runs/" + bo + "\""}},
        {"/", {day}},
        {"/api" + world, {"\"players\":3"}, json},
        {"/api" + world + "?player=Ann", {"\"player\":{"}, json},
        {"/api/days/today", {"\"date\":\"" + day + "\"", "\"world\":" + announced.dump()}, json},
        {"/api/days/" + day, {"\"date\":\"" + day + "\""}, json},
        {"/api/runs/" + ann, {"\"milliseconds\":83412"}, json},
        {"/healthz", {"ok"}, "text/plain", "no-store"},
        {"/runs/" + std::string(64, 'f'), {"No such run."}, html, "no-store", "", 404},
        {"/api/runs/" + std::string(64, '0'), {}, json, "no-store", "", 404},
        {"/api/worlds/0-1-2?page=0", {}, json, "no-store", "", 400},
        {"/days/2026-12-08", {}, html, "no-store", "", 404},
        {"/api/days/2026-12-08", {}, json, "no-store", "", 404}, // tomorrow's, not yet
        {"/nowhere", {}, json, "no-store", "", 404},
    };
    for (const SCase& test : cases) {
        const auto answer = board.client->Get(test.path.c_str());
        ASSERT_TRUE(answer) << test.path;
        EXPECT_EQ(answer->status, test.status) << test.path;
        EXPECT_EQ(answer->get_header_value("Content-Type"), test.type) << test.path;
        EXPECT_EQ(answer->get_header_value("Content-Disposition"), test.disposition) << test.path;
        for (const std::string& part : test.holds) {
            EXPECT_NE(answer->body.find(part), std::string::npos) << test.path << ": " << part;
        }
        EXPECT_TRUE(test.type == json || answer->body.find("<i>") == std::string::npos)
            << test.path << ": markup in JSON is the name as it is";
        EXPECT_EQ(answer->get_header_value("Cache-Control"), test.caching) << test.path;
        // An answer is held, and so 304, only when it is kept: "*" holds any refusal.
        const bool kept = test.status == 200;
        const std::string etag = answer->get_header_value("ETag");
        EXPECT_EQ(etag, kept ? '"' + CSha256::Hex(answer->body) + '"' : "") << test.path;
        const auto held = board.client->Get(test.path.c_str(),
                                            {{"If-None-Match", kept ? "\"x\", W/" + etag : "*"}});
        EXPECT_TRUE(Status(held) == (kept ? 304 : test.status) &&
                    held->body == (kept ? "" : answer->body) &&
                    held->get_header_value("ETag") == etag)
            << test.path;
        const auto stale = board.client->Get(test.path.c_str(), {{"If-None-Match", "\"x\""}});
        EXPECT_TRUE(Status(stale) == test.status && stale->body == answer->body) << test.path;
    }
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
    const auto replayBomb = board.Submit("Ann", Sealed(packed));
    EXPECT_EQ(Status(replayBomb), 400) << (replayBomb ? replayBomb->body : "");

    // A client that promises a body and sends three bytes of it: dropped after the timeout.
    CRawConnection slow(board.service->GetPort());
    const std::string partial = "POST /api/runs?name=Ann HTTP/1.1\r\nHost: x\r\n"
                                "Content-Length: 1000\r\n\r\nZRP";
    ASSERT_EQ(slow.Send(partial), partial.size());
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200) << "others are answered meanwhile";
    bool closed = false;
    const std::string answer = slow.ReadToClose(20, closed);
    EXPECT_TRUE(closed || !answer.empty()) << "closed or answered, not left hanging";
    EXPECT_EQ(Status(board.client->Get("/healthz")), 200);
}

// Ann's runs as an attacker would take them: whatever is changed that the flight does not show,
// the board knows the flight and whose it is, also after a faster run of hers replaced it, and
// also for runs kept before it told flights apart. A header's world is the one built.
TEST(BoardService, ACopiedRunIsNotYoursAndARunStaysInItsWorld) {
    Board board;
    const std::string slower = EncodedBytes(FlyTheCourse(0, 120, 11, -1, 300));
    const std::string bytes = ARealRun();
    ASSERT_EQ(Status(board.Submit("Ann", slower)), 201);
    const auto kept = board.Submit("Ann", bytes);
    ASSERT_EQ(Status(kept), 201) << "the slower run goes";
    EXPECT_EQ(kept->get_header_value("Cache-Control"), "no-store");
    EXPECT_FALSE(kept->has_header("ETag"));
    const int nodes = CTunnel::CountRings(0, 120, 11);
    ASSERT_EQ(CTunnel::CountRings(0, 110, 11), nodes) << "a shorter length, the same world";
    // Her replaced run, her run, and her run with all the flight does not show changed: another
    // recorded date, another length that builds the same world, a byte after the version text's
    // end, the frames packed again.
    std::string changed = Edited(Edited(bytes, [](CReplay& r) { r.recordedAt += 86400; }),
                                 [](CReplay& r) { r.world.length = 110; });
    changed[40] = 'x';
    const std::string copies[] = {slower, bytes, Repacked(changed)};
    const std::string notHers = "this run is Ann's";
    testing::internal::CaptureStderr(); // the log names each refusal's reason too
    for (const std::string& copy : copies) {
        const auto answer = board.Submit("Bo", copy, kOtherToken);
        EXPECT_EQ(Status(answer), 409) << &copy - copies;
        EXPECT_EQ(Reason(answer), notHers) << &copy - copies;
    }
    board.service->FlushLog(); // written off the requests' threads
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("POST /api/runs 409 "), std::string::npos) << log;
    EXPECT_NE(log.find(" ms: this run is Ann's\n"), std::string::npos) << log;
    const auto filedElsewhere =
        board.Submit("Bo", Edited(bytes, [](CReplay& r) { r.world.nodes = 500; }), kOtherToken);
    EXPECT_EQ(Status(filedElsewhere), 422);
    EXPECT_EQ(Reason(filedElsewhere),
              "the header says 500 path nodes; its difficulty, length and seed build " +
                  std::to_string(nodes));
    const auto own = board.Submit("Ann", Repacked(bytes));
    ASSERT_EQ(Status(own), 200) << "her own flight, packed otherwise";
    EXPECT_EQ(json::parse(own->body)["kept"], true);
    EXPECT_EQ(json::parse(own->body)["rank"], 1);
    EXPECT_EQ(board.store.CountBoard({0, nodes, 11}), 1) << "nothing of Bo's";
    const auto replaced = board.Submit("Ann", slower);
    ASSERT_EQ(Status(replaced), 200) << "her slower run, replaced";
    EXPECT_EQ(json::parse(replaced->body)["kept"], false);
    EXPECT_EQ(json::parse(replaced->body)["best"]["rank"], 1);

    // A board that kept Ann's run before it told flights apart learns the flight at its start.
    sqlite3* db = nullptr;
    const char* forget = "DELETE FROM flights; UPDATE runs SET flight = NULL";
    ASSERT_EQ(sqlite3_open(board.scratch.Join("board.sqlite3").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, forget, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(CBoardService::FingerprintOldRuns(board.store), 1);
    EXPECT_EQ(Reason(board.Submit("Bo", Repacked(bytes), kOtherToken)), notHers);
}

// Behind a trusted proxy each player's address counts; a stranger's tries with a wrong token
// spend nothing of the name's; new names from one address are few an hour.
TEST(BoardService, AllowancesAreEachPlayersOwn) {
    CBoardService::SSettings settings;
    settings.perMinute = 2;
    settings.namesPerHour = 2;
    settings.trustedProxies = {"127.0.0.1"};
    Board board(settings);
    const std::string ann = "192.0.2.1";
    EXPECT_EQ(Status(board.Submit("Ann", "x", kToken, ann)), 400) << "the name is hers now";
    for (int attempt = 0; attempt < 4; ++attempt) {
        EXPECT_EQ(Status(board.Submit("Ann", "x", kOtherToken, "203.0.113.9")), 403);
    }
    EXPECT_EQ(Status(board.Submit("Ann", "x", kToken, ann)), 400) << "nothing spent by others";
    EXPECT_EQ(Reason(board.Submit("Ann", "x", kToken, ann)), "too many runs in a minute");
    const std::string squatter = "203.0.113.50";
    EXPECT_EQ(Status(board.Submit("Cy", "x", kOtherToken, squatter)), 400);
    EXPECT_EQ(Status(board.Submit("Dee", "x", kOtherToken, squatter)), 400);
    EXPECT_EQ(Reason(board.Submit("Eve", "x", kOtherToken, squatter)),
              "too many new names from one address in an hour");
    board.now += 60;
    EXPECT_EQ(Status(board.Submit("Ann", "x", kToken, ann)), 400) << "a new minute";
}

// Boards and pages come from memory: a change made behind the board's back is not seen, a run
// it keeps is on the next read, a removal by the operator's command (another process) within a
// second, and a new day at once.
TEST(BoardService, BoardsComeFromMemoryUntilTheDatabaseSaysTheyChanged) {
    Board board;
    const std::string world = "0-" + std::to_string(CTunnel::CountRings(0, 120, 11)) + "-11";
    const std::string reads[] = {"/api/worlds/" + world, "/worlds/" + world, "/"};
    const auto showsAnn = [&](const std::string& path) {
        const auto read = board.client->Get(path.c_str());
        return Status(read) == 200 && read->body.find("Ann") != std::string::npos;
    };
    const auto expectEveryRead = [&](bool shows, const char* when) {
        for (const std::string& path : reads) {
            EXPECT_EQ(showsAnn(path), shows) << path << ": " << when;
        }
    };
    expectEveryRead(false, "rendered empty");
    const auto kept = board.Submit("Ann", ARealRun());
    ASSERT_EQ(Status(kept), 201);
    expectEveryRead(true, "the next read");
    const auto counterRead = [&] { // the board reads the counter at most once a second
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        return showsAnn(reads[0]);
    };
    EXPECT_TRUE(counterRead()) << "the board's own change counted";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(board.scratch.Join("board.sqlite3").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DELETE FROM world_best", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(counterRead()) << "from memory: the counter did not move";
    ASSERT_TRUE(board.store.RemoveRun(json::parse(kept->body)["id"]));
    Eventually(3.0, [&] { return !showsAnn(reads[0]); });
    expectEveryRead(false, "removed");
    const auto monday = board.client->Get("/api/days/today");
    board.now += 86400;
    const auto tuesday = board.client->Get("/api/days/today");
    ASSERT_TRUE(Status(monday) == 200 && Status(tuesday) == 200);
    EXPECT_EQ(json::parse(tuesday->body)["date"], "2026-12-08") << "a new day at once";
}
