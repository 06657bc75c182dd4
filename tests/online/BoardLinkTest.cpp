#include "online/BoardLink.h"

#include "../board/BoardRun.h"
#include "FileBytes.h"
#include "LoopbackServer.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>

// A board's best run is a ghost only once the game's own check, in a child process, flies it to
// the finish its header claims (GameBoardGl flies one that does): a forged finish, or a check
// that cannot run, leaves no ghost and one line. The board's route /N/... serves case N.
TEST(BoardLink, TheBoardsBestRunIsAGhostOnlyWhenTheGameFliesItToItsClaimedFinish) {
    const CScratchDirectory scratch;
    const CReplay flown = FlyTheCourse(0, 120, 11);
    CReplay faster = flown;
    faster.finishClock -= 1.0;
    const std::string noGhost = "board: the best run of the world is no ghost (";
    // A check that says "matches" of a time other than the header's.
    const std::string liar = scratch.Join("liar");
    WriteFileBytes(liar, "#!/bin/sh\necho 'replay: run.zrp: finish 0:00.01, state "
                         "0123456789abcdef, matches'\n");
    chmod(liar.c_str(), 0755);
    const struct {
        std::string bytes;
        std::string game;
        std::string says;
    } cases[] = {
        {CUncheckedReplayWriter::Encode(faster), ZELKORA_GAME_BINARY,
         noGhost + "did not verify: the header says the finish time is "},
        {EncodedBytes(flown), liar,
         noGhost + "did not verify: finish 0:00.01, state 0123456789abcdef, matches)"},
        {EncodedBytes(flown), scratch.Join("no-game"),
         noGhost + "it could not be checked: cannot run the checker " + scratch.Join("no-game")},
    };
    CLoopbackServer board;
    const std::string top = R"({"players":1,"runs":[{"rank":1,"player":"Bo","milliseconds":)"
                            R"(14000,"id":")" +
                            std::string(64, 'e') + R"("}]})";
    board.server.Get(
        R"(/(\w+)/api/worlds/0-)" + std::to_string(flown.world.nodes) + "-11",
        [&top](const auto&, auto& response) { response.set_content(top, "application/json"); });
    board.server.Get(R"(/(\d)/api/runs/\w+/replay)", [&cases](const auto& request, auto& response) {
        response.set_content(cases[std::stoi(request.matches[1])].bytes,
                             "application/octet-stream");
    });
    board.Start();
    for (const auto& c : cases) {
        CBoardLink::SSettings settings;
        settings.url = board.Url() + "/" + std::to_string(&c - cases);
        settings.ghostFromBoard = true;
        settings.gameProgram = c.game;
        settings.scratchDirectory = scratch.GetPath();
        CBoardLink::SGhostRun ghost;
        bool arrived = false;
        testing::internal::CaptureStdout(); // a file, read anew through /proc as the link prints
        CBoardLink link(settings);
        link.AskWorld(flown.world);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(arrived = link.TakeGhost(ghost)) &&
               ReadFileBytes("/proc/self/fd/1").find(noGhost) == std::string::npos &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(arrived) << c.says;
        EXPECT_NE(printed.find(c.says), std::string::npos) << printed;
    }
}
