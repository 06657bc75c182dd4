// zelkora --submit on the real binary: board.txt and --board read, the token made, the run
// sent, the board's answer printed, and the exit code its verdict, before any window or sound.

#include "FileBytes.h"
#include "GameRun.h"
#include "LoopbackServer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

// 0 counted, 1 refused, 2 for all that was never answered; nothing is sent for a file the game
// cannot read or a player it cannot name.
TEST(Submit, SendsOneRunAndExitsWithTheBoardsVerdict) {
    std::atomic<int> received{0};
    CLoopbackServer board;
    const auto answer = [&received](int status, std::string body) {
        return [&received, status, body](const httplib::Request& request, auto& response) {
            ++received;
            response.status = request.get_param_value("name") == "Ann" ? status : 400;
            response.set_content(body, "application/json");
        };
    };
    board.server.Post("/counts/api/runs",
                      answer(201, R"({"kept":true,"rank":2,"players":7,"milliseconds":61000})"));
    board.server.Post("/taken/api/runs", answer(403, R"({"error":"the name Ann is taken"})"));
    board.server.Post("/broken/api/runs", answer(500, "{}"));
    board.Start();
    const std::string counts = board.Url() + "/counts";
    const struct {
        std::string boardText;
        std::string file; // in the run's directory
        std::vector<std::string> options;
        int exitCode;
        int sent;
        std::string out;
        std::string err; // its start
    } cases[] = {
        {"name Ann", "run.zrp", {"--board", counts}, 0, 1, "board: #2 of 7 players, 1:01.00\n", ""},
        {"name Ann",
         "run.zrp",
         {"--board", board.Url() + "/taken"},
         1,
         1,
         "board: refused (403): the name Ann is taken\n",
         ""},
        {"url " + board.Url() + "/broken\nname Ann",
         "run.zrp",
         {},
         2,
         1,
         "board: not sent (the board's error (500)); send it again later\n",
         ""},
        {"url " + counts + "\nname Ann",
         "run.zrp",
         {"--no-board"},
         2,
         0,
         "",
         "zelkora: --submit: no board: board.txt names none (url URL), nor does --board\n"},
        {"name Ann", "bad.zrp", {"--board", counts}, 2, 0, "", "zelkora: --submit: "},
        {"",
         "run.zrp",
         {"--board", counts},
         2,
         0,
         "",
         "zelkora: --submit: a board but no name: runs are not sent until board.txt says name "
         "NAME\n"},
    };
    for (const auto& c : cases) {
        received = 0;
        CGameRun game;
        game.WriteFile("config/zelkora/board.txt", c.boardText + "\n");
        game.WriteFile("run.zrp",
                       ReadFileBytes(ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp"));
        game.WriteFile("bad.zrp", "ZRP but not really");
        game.SetEnvironment("DISPLAY", "");
        std::vector<std::string> arguments = {"--submit", game.GetDirectory() + "/" + c.file};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_TRUE(game.Start(arguments));
        EXPECT_EQ(game.WaitForExit(30), c.exitCode) << c.boardText << " " << game.ReadStderr();
        EXPECT_EQ(received, c.sent) << c.boardText;
        EXPECT_EQ(game.ReadStdout(), c.out) << c.boardText;
        EXPECT_EQ(game.ReadStderr().substr(0, c.err.size()), c.err) << c.boardText;
        struct stat token {};
        const bool made =
            stat((game.GetDirectory() + "/config/zelkora/board-token").c_str(), &token) == 0;
        EXPECT_EQ(made, c.sent == 1) << "made on the first run sent";
        EXPECT_TRUE(!made || (token.st_mode & 0777) == 0600);
    }
}
