#include "GameRun.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace {

constexpr double kStartTimeout = 20.0; // seconds until the window must be up
constexpr double kExitTimeout = 30.0;  // seconds from the quit key to the exit

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
    }

    void StartWith(const std::string& ini) {
        if (!ini.empty()) {
            run.WriteFile("zelkora.ini", ini);
        }
        ASSERT_TRUE(run.CopyGameData());
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitForWindow(kStartTimeout)) << run.ReadStdout() << run.ReadStderr();
        // Keys are read from the main loop on; a slow build may still be setting up.
        ASSERT_TRUE(run.WaitForOutput("start MainLoop...\n", kStartTimeout)) << run.ReadStdout();
    }

    CGameRun run;
};

// The lines that follow the game's own output, with the GL strings left open.
const std::regex kStartupLines("init done\\. GL-Infos:\n"
                               "VERSION:\t[^\n]+\nVENDOR: \t[^\n]+\n"
                               "F2: fps \\| F3: wireframe \\| F6: vertex/array \\| F9: alpha \n"
                               "\nstart MainLoop\\.\\.\\.\n$");

TEST_F(Shell, OpensItsWindowPrintsTheStartupLinesAndQuitsOnQ) {
    StartWith("");
    EXPECT_EQ(run.GetWindowName(), "Zelkora");
    const CGameRun::SGeometry geometry = run.GetWindowGeometry();
    EXPECT_EQ(geometry.width, 800);
    EXPECT_EQ(geometry.height, 600);
    EXPECT_EQ(geometry.x, 100);
    EXPECT_EQ(geometry.y, 100);

    ASSERT_TRUE(run.Screenshot(run.GetDirectory() + "/window.png"));
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0);
    EXPECT_TRUE(std::regex_search(run.ReadStdout(), kStartupLines)) << run.ReadStdout();
}

TEST_F(Shell, EscapeQuitsWithCodeZero) {
    StartWith("3 1 1\n");
    ASSERT_TRUE(run.PressKey("Escape"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0);
}

TEST_F(Shell, UpperCaseQAndOtherKeysDoNotQuit) {
    StartWith("");
    ASSERT_TRUE(run.PressKey("shift+q"));
    for (const char* key : {"F2", "F3", "F5", "F6", "F8", "F9", "F12", "Left", "space", "y"}) {
        ASSERT_TRUE(run.PressKey(key));
    }
    EXPECT_EQ(run.WaitForExit(1.0), -1) << "the game should still be running";
}

TEST_F(Shell, RefusedGameModeFallsBackToAFullScreenWindow) {
    StartWith("3 500 0\n"); // the virtual X server never grants game mode
    const CGameRun::SGeometry screen = CGameRun::GetScreenGeometry();
    // The window goes full screen once the main loop handles the request.
    CGameRun::SGeometry geometry = run.GetWindowGeometry();
    for (int tries = 0; tries < 50 && geometry.width != screen.width; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        geometry = run.GetWindowGeometry();
    }
    ASSERT_GT(screen.width, 800) << "needs a screen larger than the plain window";
    EXPECT_EQ(geometry.width, screen.width);
    EXPECT_EQ(geometry.height, screen.height);
    EXPECT_EQ(geometry.x, 0) << "the whole window on the screen";
    EXPECT_EQ(geometry.y, 0);
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
    EXPECT_TRUE(std::regex_search(run.ReadStdout(), kStartupLines)) << run.ReadStdout();
}

} // namespace
