// zelkora --submit on the real binary: board.txt and --board read, the token made, the run
// sent, the board's answer printed, and the exit code its verdict, before any window or sound.

#include "FileBytes.h"
#include "GameRun.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

TEST(Submit, SendsOneRunAndExitsWithTheBoardsVerdict) {
    CLoopbackServer board;
    board.server.Post("/counts/api/runs", [](const httplib::Request& request, auto& response) {
        response.status = request.get_param_value("name") == "Ann" ? 201 : 400;
        response.set_content(R"({"kept":true,"rank":2,"players":7,"milliseconds":61000})",
                             "application/json");
    });
    board.server.Post("/taken/api/runs", [](const auto&, auto& response) {
        response.status = 403;
        response.set_content(R"({"error":"the name Ann is taken"})", "application/json");
    });
    board.Start();
    const std::string run =
        ReadFileBytes(ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp");
    const struct {
        std::vector<std::string> arguments; // after --submit FILE
        int exitCode;
        std::string out;
    } cases[] = {
        {{"--board", board.Url() + "/counts"}, 0, "board: #2 of 7 players, 1:01.00\n"},
        {{"--board", board.Url() + "/taken"}, 1, "board: refused (403): the name Ann is taken\n"},
        {{"--board", board.Url() + "/counts", "--no-board"}, 2, ""},
    };
    for (const auto& c : cases) {
        CGameRun game;
        game.WriteFile("config/zelkora/board.txt", "name Ann\n");
        game.WriteFile("run.zrp", run);
        game.SetEnvironment("DISPLAY", "");
        std::vector<std::string> arguments = {"--submit", game.GetDirectory() + "/run.zrp"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        ASSERT_TRUE(game.Start(arguments));
        EXPECT_EQ(game.WaitForExit(30), c.exitCode) << game.ReadStderr();
        EXPECT_EQ(game.ReadStdout(), c.out);
        struct stat token {};
        const bool made =
            stat((game.GetDirectory() + "/config/zelkora/board-token").c_str(), &token) == 0;
        EXPECT_EQ(made, c.exitCode != 2) << "made on the first run sent";
        EXPECT_TRUE(!made || (token.st_mode & 0777) == 0600);
    }
}
