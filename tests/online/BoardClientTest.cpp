#include "online/BoardClient.h"

#include "../board/BoardRun.h"
#include "BoardServer.h"
#include "FileBytes.h"
#include "LoopbackServer.h"
#include "Process.h"
#include "ReplayBytes.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

using EOutcome = CBoardClient::EOutcome;
using Clock = std::chrono::steady_clock;

const std::string kToken = "tR4n-9kWq2Zx7Lp_Vb3Ny8Hs5Dc1Jm6Fg0Qe2Ua7Ko4";
const std::string kRunId(64, 'a');
constexpr CBoardClient::STimeouts kShortTimeouts{500, 1000};

// A board's answer, as a route of the loopback server gives it.
void Answer(httplib::Response& response, int status, const std::string& body) {
    response.status = status;
    response.set_content(body, "application/json");
}

} // namespace

// Every kind of answer a board (or something in its place) may give, and what the game makes
// of it: counted, refused for good, or kept to send again. The board's route /NAME/api/runs
// gives the answer of the case named NAME.
TEST(BoardClient, EachAnswerIsCountedRefusedOrKeptForLater) {
    const std::string kept = R"({"kept":true,"rank":3,"players":41,"milliseconds":62330})";
    const struct {
        std::string name; // "" for the port that never answers, "closed" for a closed one
        int status;
        std::string body;
        std::string header; // "Name: value" or ""
        EOutcome outcome;
        std::string onScreen;
        std::string line;
    } cases[] = {
        {"kept", 201, kept, "", EOutcome::Counted, "BOARD #3 OF 41",
         "board: #3 of 41 players, 1:02.33"},
        {"slower", 200,
         R"({"kept":false,"rank":9,"players":41,"best":{"rank":3,"milliseconds":61000}})", "",
         EOutcome::Counted, "BOARD BEST #3",
         "board: slower than your best, which is #3 of 41 players, 1:01.00"},
        {"taken", 403, "{\"error\":\"the name Ann is taken\\u001b[2J\"}", "", EOutcome::Refused,
         "BOARD: NAME TAKEN", "board: refused (403): the name Ann is taken?[2J"},
        {"old", 409, R"({"error":"recorded by 1.1.0"})", "", EOutcome::Refused,
         "BOARD: OTHER VERSION", "board: refused (409): recorded by 1.1.0"},
        {"broken", 500, R"({"error":"could not check"})", "", EOutcome::Unsent, "BOARD: ERROR",
         "board: not sent (the board's error (500): could not check)"},
        {"garbage", 200, "<html>hello</html>", "", EOutcome::Unsent, "BOARD: ERROR",
         "board: not sent (the board's answer (200) cannot be read)"},
        {"moved", 302, kept, "Location: http://127.0.0.1:1/api/runs", EOutcome::Unsent,
         "BOARD: ERROR", "board: not sent (redirected (302))"},
        {"busy", 429, R"({"error":"too many runs"})", "Retry-After: 60", EOutcome::Unsent,
         "BOARD: BUSY", "board: not sent (busy (429): too many runs; again in 60 s)"},
        {"proxy", 404, "not here", "", EOutcome::Unsent, "BOARD: ERROR",
         "board: not sent (the board's error (404))"},
        {"huge", 200, std::string(3u << 20, ' '), "", EOutcome::Unsent, "BOARD: ERROR",
         "board: not sent (an answer larger than 2097152 bytes)"},
        {"endless", 200, "", "", EOutcome::Unsent, "BOARD: ERROR",
         "board: not sent (an answer larger than 2097152 bytes)"},
        // Numbers out of their range: 4294967297 read as an int would be #1.
        {"wide", 201, R"({"kept":true,"rank":4294967297,"players":41,"milliseconds":62330})", "",
         EOutcome::Unsent, "BOARD: ERROR", "board: not sent (the board's answer (201) cannot be"},
        {"beyond", 201, R"({"kept":true,"rank":42,"players":41,"milliseconds":62330})", "",
         EOutcome::Unsent, "BOARD: ERROR", "board: not sent (the board's answer (201) cannot be"},
        {"zeroth", 200,
         R"({"kept":false,"rank":9,"players":41,"best":{"rank":0,"milliseconds":61000}})", "",
         EOutcome::Unsent, "BOARD: ERROR", "board: not sent (the board's answer (200) cannot be"},
        {"crowd", 201, R"({"kept":true,"rank":3,"players":2147483648,"milliseconds":62330})", "",
         EOutcome::Unsent, "BOARD: ERROR", "board: not sent (the board's answer (201) cannot be"},
        {"late", 201, R"({"kept":true,"rank":3,"players":41,"milliseconds":8640000000000})", "",
         EOutcome::Unsent, "BOARD: ERROR", "board: not sent (the board's answer (201) cannot be"},
        // A run the board keeps under another name is not the sender's, whatever its rank.
        {"theirs", 201, R"({"kept":true,"rank":3,"players":41,"milliseconds":1,"player":"Bo"})", "",
         EOutcome::Refused, "BOARD: NOT YOUR RUN", "board: this run is Bo's, #3 of 41 players"},
        {"ours", 201, R"({"kept":true,"rank":3,"players":41,"milliseconds":1,"player":"aNN"})", "",
         EOutcome::Counted, "BOARD #3 OF 41", "board: #3 of 41 players, 0:00.00"},
        {"owned", 409, R"({"error":"this run is Bo's"})", "", EOutcome::Refused,
         "BOARD: NOT YOUR RUN", "board: refused (409): this run is Bo's"},
        {"", 0, "", "", EOutcome::Unsent, "BOARD: OFFLINE", "board: not sent (offline: "},
        {"closed", 0, "", "", EOutcome::Unsent, "BOARD: OFFLINE", "board: not sent (offline: "},
    };
    CLoopbackServer board;
    board.server.Post(R"(/(\w+)/api/runs)", [&cases](const httplib::Request& request,
                                                     httplib::Response& response) {
        for (const auto& c : cases) {
            if (c.name != request.matches[1]) {
                continue;
            }
            const bool asked = request.get_param_value("name") == "Ann" && request.body == "RUN" &&
                               request.get_header_value("Authorization") == "Bearer " + kToken;
            response.status = asked ? c.status : 400;
            if (!c.header.empty()) {
                response.set_header(c.header.substr(0, c.header.find(':')),
                                    c.header.substr(c.header.find(' ') + 1));
            }
            if (c.name != "endless") {
                response.set_content(c.body, "application/json");
                return;
            }
            // No length given: only counting what arrives can stop it.
            response.set_chunked_content_provider("text/plain", [](std::size_t, auto& sink) {
                const std::string spaces(64 * 1024, ' ');
                return sink.write(spaces.data(), spaces.size());
            });
        }
    });
    board.Start();
    CSilentPort silent;
    for (const auto& c : cases) {
        const std::string url = c.name.empty()       ? silent.Url()
                                : c.name == "closed" ? "http://127.0.0.1:1"
                                                     : board.Url() + "/" + c.name;
        const Clock::time_point start = Clock::now();
        const CBoardClient::SSubmitted sent =
            CBoardClient(url, "Ann", kToken, kShortTimeouts).Submit("RUN");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        EXPECT_EQ(sent.outcome, c.outcome) << url;
        EXPECT_EQ(sent.status, c.status) << url;
        EXPECT_EQ(sent.onScreen, c.onScreen) << url;
        EXPECT_EQ(sent.line.substr(0, c.line.size()), c.line) << url;
        EXPECT_EQ(sent.line.find('\n'), std::string::npos) << url;
        EXPECT_LT(seconds, 2.0) << url << ": past the total timeout";
        EXPECT_EQ(sent.line.find(kToken), std::string::npos) << "the token is never shown";
    }
}

// A world's best five and the player's own place, and a refusal of what is not a board's page.
TEST(BoardClient, FetchesTheBestFiveOfAWorldAndThePlayersRank) {
    CLoopbackServer board;
    board.server.Get("/api/worlds/2-500-7", [](const httplib::Request& request, auto& response) {
        std::string runs;
        for (int rank = 1; rank <= 20; ++rank) {
            runs += std::string(rank == 1 ? "" : ",") + R"({"rank":)" + std::to_string(rank) +
                    R"(,"player":"P)" + std::to_string(rank) + R"(","milliseconds":)" +
                    std::to_string(60000 + rank) + R"(,"id":")" + kRunId + "\"}";
        }
        const std::string own =
            request.get_param_value("player") == "Ann" ? R"({"rank":12})" : "null";
        Answer(response, 200,
               R"({"page":1,"pages":3,"players":41,"player":)" + own + R"(,"runs":[)" + runs +
                   "]}");
    });
    board.server.Get("/api/worlds/2-500-8", [](const auto&, auto& response) {
        Answer(response, 200, R"({"players":1,"runs":[{"rank":1,"player":"Bo"}]})");
    });
    board.Start();
    const CBoardClient client(board.Url(), "Ann", kToken, kShortTimeouts);

    const CBoardClient::SWorldBoard world = client.FetchWorld({2, 500, 500, 7}, "Ann");
    ASSERT_TRUE(world.fetched) << world.problem;
    EXPECT_EQ(world.players, 41);
    EXPECT_EQ(world.ownRank, 12);
    ASSERT_EQ(world.top.size(), CBoardClient::kTopShown);
    EXPECT_EQ(world.top[4].rank, 5);
    EXPECT_EQ(world.top[4].player, "P5");
    EXPECT_EQ(world.top[4].milliseconds, 60005);
    EXPECT_EQ(world.top[4].runId, kRunId);
    EXPECT_EQ(client.FetchWorld({2, 500, 500, 7}, "Bo").ownRank, 0) << "no run there";

    const CBoardClient::SWorldBoard partial = client.FetchWorld({2, 500, 500, 8}, "Ann");
    EXPECT_FALSE(partial.fetched) << "a run without its time or id";
    EXPECT_TRUE(partial.top.empty());
    EXPECT_FALSE(client.FetchWorld({2, 500, 500, 9}, "Ann").fetched) << "404";
    EXPECT_FALSE(client.FetchReplay("../../etc/passwd").fetched) << "no run id";
}

// A world's page and the world of the day, good and bad: a page is taken only when every
// number in it is a whole number in its range, and the day's world only when it is one the
// game can fly at the day's length. The board's route /NAME/... gives the case named NAME.
TEST(BoardClient, APageIsTakenOnlyWhenEveryNumberIsInItsRange) {
    const std::string run =
        R"({"rank":1,"player":"Bo","milliseconds":61000,"id":")" + kRunId + R"("})";
    const std::string date = R"({"date":"2026-12-09","world":)";
    const std::string day = date + R"({"difficulty":3,"length":1000,)";
    const struct {
        std::string name;
        bool today; // the world of the day, else the first page of world 2-500-7
        std::string body;
        std::string problem = "the board's answer cannot be read"; // "" when taken
        int status = 200;
    } cases[] = {
        {"page", false,
         R"({"page":1,"pages":1,"players":1,"player":{"rank":1},"runs":[)" + run + "]}", ""},
        {"wide", false, R"({"players":4294967297,"runs":[)" + run + "]}"},
        {"beyond", false, R"({"players":0,"runs":[)" + run + "]}"},
        {"own", false, R"({"players":1,"player":{"rank":2},"runs":[]})"},
        {"second", false, R"({"page":2,"pages":2,"players":1,"runs":[]})"},
        {"fewer", false, R"({"pages":-1,"players":1,"runs":[]})"},
        {"day", true, day + R"("nodes":1021,"seed":2141592653},"runs":[]})", ""},
        {"seed", true, day + R"("nodes":1021,"seed":3141592653}})"},
        {"nodes", true, day + R"("nodes":0,"seed":7}})"},
        {"length", true, date + R"({"difficulty":3,"length":2000,"nodes":2021,"seed":7}})"},
        {"hard", true, date + R"({"difficulty":1001,"length":1000,"nodes":1021,"seed":7}})"},
        {"date", true,
         R"({"date":"2026-12-9","world":{"difficulty":3,"length":1000,"nodes":1,"seed":7}})"},
        {"gone", true, R"({"error":"no such page"})", "the board answered 404", 404},
    };
    CLoopbackServer board;
    const auto answer = [&cases](const httplib::Request& request, httplib::Response& response) {
        for (const auto& c : cases) {
            if (c.name == request.matches[1]) {
                Answer(response, c.status, c.body);
            }
        }
    };
    board.server.Get(R"(/(\w+)/api/days/today)", answer);
    board.server.Get(R"(/(\w+)/api/worlds/2-500-7)", answer);
    board.Start();
    for (const auto& c : cases) {
        const CBoardClient client(board.Url() + "/" + c.name, "Ann", kToken, kShortTimeouts);
        if (c.today) {
            const CBoardClient::SToday today = client.FetchToday();
            EXPECT_EQ(today.fetched, c.problem.empty()) << c.name;
            EXPECT_EQ(today.problem, c.problem) << c.name;
            if (today.fetched) {
                EXPECT_EQ(today.date, "2026-12-09");
                EXPECT_EQ(today.world, (CWorldIdentity{3, 1000, 1021, 2141592653}));
            }
        } else {
            const CBoardClient::SWorldBoard page = client.FetchWorld({2, 500, 500, 7}, "Ann");
            EXPECT_EQ(page.fetched, c.problem.empty()) << c.name;
            EXPECT_EQ(page.problem, c.problem) << c.name;
            EXPECT_EQ(page.top.size(), page.fetched ? 1u : 0u) << c.name;
            EXPECT_EQ(page.ownRank, page.fetched ? 1 : 0) << c.name;
        }
    }
}

// The real board, checking with the real game: a new run counts, the same run again is known,
// and another token under the same name is refused.
TEST(BoardClient, ARealBoardCountsARunKnowsItAgainAndKeepsTheNameToItsToken) {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("board-client-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    const std::string log = (scratch / "board.log").string();
    CBoardServer board("sqlite:" + (scratch / "board.sqlite3").string(), scratch.string(), log, 0,
                       {"--workers", "1"});
    ASSERT_TRUE(board.Ready()) << ReadFileBytes(log);
    const std::string url = board.Url();

    const CReplay flown = FlyTheCourse(0, 120, 11);
    const std::string bytes = EncodedBytes(flown);
    const CBoardClient ann(url, "Ann", kToken);
    const CBoardClient::SSubmitted first = ann.Submit(bytes);
    EXPECT_EQ(first.outcome, EOutcome::Counted) << first.line;
    EXPECT_EQ(first.status, 201);
    EXPECT_EQ(first.onScreen, "BOARD #1 OF 1");
    const CBoardClient::SSubmitted again = ann.Submit(bytes);
    EXPECT_EQ(again.outcome, EOutcome::Counted) << again.line;
    EXPECT_EQ(again.status, 200);
    const CBoardClient::SSubmitted stolen =
        CBoardClient(url, "aNN", "Bz8-Lq3Wm7Xc1Rv_Ty5Nk9Pf2Hd6Sj4Ga0Ue3Oi8Yb").Submit(bytes);
    EXPECT_EQ(stolen.outcome, EOutcome::Refused);
    EXPECT_EQ(stolen.onScreen, "BOARD: NAME TAKEN");
    EXPECT_EQ(stolen.line, "board: refused (403): the name aNN is taken");

    const CBoardClient::SWorldBoard world = ann.FetchWorld(flown.world, "Ann");
    ASSERT_TRUE(world.fetched) << world.problem;
    ASSERT_EQ(world.top.size(), 1u);
    EXPECT_EQ(world.top[0].player, "Ann");
    const CBoardClient::SFetchedReplay replay = ann.FetchReplay(world.top[0].runId);
    ASSERT_TRUE(replay.fetched) << replay.problem;
    EXPECT_EQ(replay.bytes, bytes);

    board.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}
