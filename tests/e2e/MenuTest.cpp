// A newcomer's first game, by keys alone: the title, the menu, a name typed for the board, a
// key moved, the music turned down, a world chosen; and every choice still there at the next
// start. Its pictures of the title and the menu go to build/screenshots for the README.

#include "FileBytes.h"
#include "GameRun.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kExitTimeout = 30.0;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool Press(CGameRun& run, const std::vector<std::string>& keysyms) {
    for (const std::string& keysym : keysyms) {
        if (!run.PressKey(keysym)) {
            return false;
        }
        Wait(0.1);
    }
    return true;
}

TEST(Menu, ANewcomersPathIsKeptForTheNextStart) {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    CGameRun run;
    ASSERT_TRUE(run.LinkGameData());
    const std::string config = run.GetDirectory() + "/config/zelkora/";
    std::string said;
    ASSERT_TRUE(run.StartPlaying({"--full-resolution", "--seed", "4"}, kStartTimeout, said))
        << said;
    const std::string shots = CGameRun::GetScreenshotDirectory();
    Wait(0.5);
    const CGameRun::SImage title = run.Capture();
    EXPECT_TRUE(run.Screenshot(shots + "/title.png"));

    ASSERT_TRUE(Press(run, {"Return"}));
    Wait(0.3);
    EXPECT_GT(run.Capture().CountChanged(title, 170, 60, 630, 400), 2000) << "the menu's panel";
    EXPECT_TRUE(run.Screenshot(shots + "/menu.png"));

    // BOARD: the name typed. The address stays empty, so no board is asked.
    ASSERT_TRUE(Press(run, {"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return",
                            "Return", "A", "n", "n", "Return", "Escape"}));
    // CONTROLS: fire on x.
    ASSERT_TRUE(Press(
        run, {"Down", "Return", "Down", "Down", "Down", "Down", "Down", "Return", "x", "Escape"}));
    // SOUND: the music one step down.
    ASSERT_TRUE(Press(run, {"Down", "Return", "Left", "Escape"}));
    // CHOOSE WORLD: seed 7, flown.
    ASSERT_TRUE(Press(run, {"Up", "Up", "Up", "Up", "Up", "Return", "Down", "Down", "BackSpace",
                            "7", "Down", "Return"}));
    EXPECT_TRUE(run.WaitForOutput("seed 7\n", 10.0)) << run.ReadStdout();
    ASSERT_TRUE(run.PressKey("q"));
    ASSERT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();

    EXPECT_NE(ReadFileBytes(config + "board.txt").find("name Ann"), std::string::npos);
    EXPECT_NE(ReadFileBytes(config + "keys.txt").find("fire x"), std::string::npos);
    EXPECT_NE(ReadFileBytes(config + "settings.txt").find("music-volume 9"), std::string::npos);

    // The next start: the same files in a run of their own.
    CGameRun next;
    ASSERT_TRUE(next.LinkGameData());
    for (const char* name : {"board.txt", "keys.txt", "settings.txt"}) {
        next.WriteFile(std::string("config/zelkora/") + name, ReadFileBytes(config + name));
    }
    ASSERT_TRUE(next.StartPlaying({"--full-resolution", "--seed", "4"}, kStartTimeout, said))
        << said;
    ASSERT_TRUE(next.PressKey("q"));
    EXPECT_EQ(next.WaitForExit(kExitTimeout), 0);
    EXPECT_EQ(next.ReadStderr(), "") << "every file read without a problem";
}

} // namespace
