// The real game with a board on loopback: a finished course is sent and ranked; with the board
// down the run waits in the outbox and the next start sends it; a board that never answers,
// or answers badly, leaves the game playing and quitting as ever; --daily flies the board's
// world of the day, or the game's own when the board cannot say.

#include "BoardServer.h"
#include "FileBytes.h"
#include "GameRun.h"
#include "LoopbackServer.h"
#include "world/Tunnel.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kFlightTimeout = 60.0;
constexpr double kExitTimeout = 60.0;

std::size_t CountFiles(const std::string& directory) {
    std::error_code missing;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(directory, missing)) {
        count += entry.path().extension() == ".zrp" ? 1 : 0;
    }
    return count;
}

class BoardGame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
        ASSERT_TRUE(home.LinkGameData());
    }

    // A game started with the player's files of `home`, flying the short course to its finish
    // and on until `until` is printed, or for "" until a run waits in the outbox.
    void Fly(CGameRun& game, const std::vector<std::string>& options, const std::string& until) {
        ASSERT_TRUE(ShareHome(game));
        std::vector<std::string> arguments = CGameRun::kShortCourse;
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::string said;
        ASSERT_TRUE(game.StartPlaying(arguments, kStartTimeout, said)) << said;
        ASSERT_TRUE(game.KeyDown("space"));
        bool printed = false;
        if (until.empty()) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!(printed = CountFiles(Outbox()) > 0) &&
                   std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        } else {
            printed = game.WaitForOutput(until, kFlightTimeout);
        }
        game.KeyUp("space");
        ASSERT_TRUE(printed) << game.ReadStdout() << game.ReadStderr();
    }

    bool ShareHome(CGameRun& game) const {
        game.SetEnvironment("XDG_DATA_HOME", home.GetDirectory() + "/data");
        game.SetEnvironment("XDG_CONFIG_HOME", home.GetDirectory() + "/config");
        return game.LinkGameData();
    }

    void Quit(CGameRun& game) {
        ASSERT_TRUE(game.PressKey("q"));
        EXPECT_EQ(game.WaitForExit(kExitTimeout), 0) << game.ReadStderr();
    }

    std::string Outbox() const { return home.GetDirectory() + "/data/zelkora/outbox"; }

    CGameRun home; // holds the player's data and config directories
};

} // namespace

TEST_F(BoardGame, ARunGoesToTheBoardOrWaitsInTheOutboxUntilTheNextStart) {
    const std::string database = "sqlite:" + home.GetDirectory() + "/board.sqlite3";
    const std::string log = home.GetDirectory() + "/board.log";
    auto board = std::make_unique<CBoardServer>(database, home.GetDirectory(), log);
    ASSERT_TRUE(board->Ready()) << ReadFileBytes(log);
    const int port = board->port;
    home.WriteFile("config/zelkora/board.txt", "url " + board->Url() + "\nname Ann\n");

    CGameRun first;
    Fly(first, {}, "board: #1 of 1 players, ");
    Quit(first);
    EXPECT_EQ(CountFiles(Outbox()), 0u) << "answered: out of the outbox";

    board->Stop();
    CGameRun offline;
    Fly(offline, {}, "; it waits in the outbox\n");
    Quit(offline);
    EXPECT_EQ(CountFiles(Outbox()), 1u);

    board = std::make_unique<CBoardServer>(database, home.GetDirectory(), log, port);
    ASSERT_TRUE(board->Ready()) << ReadFileBytes(log);
    CGameRun next;
    std::string said;
    ASSERT_TRUE(ShareHome(next));
    ASSERT_TRUE(next.StartPlaying(CGameRun::kShortCourse, kStartTimeout, said)) << said;
    EXPECT_TRUE(next.WaitForOutput("board: ", kFlightTimeout)) << next.ReadStdout();
    const std::string sent = next.ReadStdout();
    EXPECT_TRUE(sent.find("board: #1 of 1 players") != std::string::npos ||
                sent.find("board: slower than your best, which is #1 of 1 players") !=
                    std::string::npos)
        << sent;
    Quit(next);
    EXPECT_EQ(CountFiles(Outbox()), 0u) << "sent at the start";
}

// Each bad board: the game flies on, says what became of the run, quits at once, and keeps the
// run for later.
TEST_F(BoardGame, ABoardThatNeverAnswersOrAnswersBadlyCostsTheGameNothing) {
    CSilentPort silent;
    CLoopbackServer failing;
    failing.server.Post("/api/runs", [](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content("<html>oops</html>", "text/html");
    });
    failing.server.Get(".*", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("http://127.0.0.1:1/elsewhere");
    });
    failing.Start();
    home.WriteFile("config/zelkora/board.txt", "name Ann\n");
    const struct {
        std::string url;
        std::string says; // once the run is at the finish
    } boards[] = {
        {silent.Url(), ""}, // no answer ever: the run in the outbox is enough
        {failing.Url(), "board: not sent (the board's error (500)); it waits in the outbox"},
    };
    for (const auto& board : boards) {
        fs::remove_all(Outbox());
        CGameRun game;
        Fly(game, {"--board", board.url}, board.says);
        const auto quit = std::chrono::steady_clock::now();
        Quit(game);
        const std::chrono::duration<double> quitting = std::chrono::steady_clock::now() - quit;
        EXPECT_LT(quitting.count(), 8.0) << "seconds to quit with " << board.url;
        EXPECT_EQ(CountFiles(Outbox()), 1u) << board.url;
    }
}

// 9 December 2026 is a Wednesday: the game's own world of the day is of difficulty 4 and seed
// 20261209. The board's is whatever it announces, once the game has checked it.
TEST_F(BoardGame, TheDailyWorldIsTheBoardsOrTheGamesOwnWithOneLineSayingWhy) {
    const int nodes = CTunnel::CountRings(3, 1000, 1234567891);
    CLoopbackServer board; // announces the node count its path names
    board.server.Get(R"(/(\d+)/api/days/today)", [](const auto& request, auto& response) {
        response.set_content(
            R"({"date":"2026-12-09","world":{"difficulty":3,"length":1000,"nodes":)" +
                request.matches[1].str() + R"(,"seed":1234567891},"runs":[]})",
            "application/json");
    });
    board.Start();
    const std::string own = "daily: 2026-12-09 difficulty 4 length 1000 seed 20261209\n";
    const std::string notHad = "daily: the board's world of the day could not be had (";
    const std::string instead = "); the game's own flies instead, whose runs the board's day "
                                "does not rank\n";
    const struct {
        std::string url;
        std::vector<std::string> says; // each somewhere in its standard output
    } cases[] = {
        {board.Url() + "/" + std::to_string(nodes),
         {"path: " + std::to_string(nodes) + " nodes",
          "daily: 2026-12-09 difficulty 3 length 1000 seed 1234567891\n"}},
        {board.Url() + "/" + std::to_string(nodes + 1),
         {notHad + "the board's world builds " + std::to_string(nodes) + " path nodes here, not " +
              std::to_string(nodes + 1) + instead,
          own}},
        {"http://127.0.0.1:1", {notHad, instead, own}}, // no board there
    };
    for (const auto& c : cases) {
        CGameRun game;
        ASSERT_TRUE(ShareHome(game));
        game.SetWallClock("2026-12-09 12:00:00");
        std::string said;
        ASSERT_TRUE(game.StartPlaying({"--daily", "--board", c.url}, kStartTimeout, said)) << said;
        ASSERT_TRUE(game.WaitForOutput("daily: 2026-12-09 difficulty", kStartTimeout));
        Quit(game);
        const std::string out = game.ReadStdout();
        for (const std::string& line : c.says) {
            EXPECT_NE(out.find(line), std::string::npos) << c.url << " says no " << line << out;
        }
        EXPECT_EQ(out.find(notHad) != std::string::npos, c.says.back() == own) << "why, if own";
    }
}
