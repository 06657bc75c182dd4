// A game pad in the real game: SDL's virtual pad, plugged in by a preloaded test library and
// moved by the file it reads.

#include "GameRun.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

#ifndef ZELKORA_PAD_PRELOAD
#error "ZELKORA_PAD_PRELOAD must name the virtual pad library"
#endif

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kExitTimeout = 30.0;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The game with the virtual pad plugged in, on a straight course where nothing moves unless the
// ship does.
void StartWithPad(CGameRun& run) {
    ASSERT_TRUE(run.LinkGameData());
    run.SetEnvironment("LD_PRELOAD", ZELKORA_PAD_PRELOAD);
    run.SetEnvironment("ZELKORA_TEST_PAD", run.GetDirectory() + "/pad.txt");
    // In the sanitizer build the preloaded library comes before the sanitizer's runtime.
    const char* asanOptions = std::getenv("ASAN_OPTIONS");
    run.SetEnvironment("ASAN_OPTIONS", std::string(asanOptions != nullptr ? asanOptions : "") +
                                           ":verify_asan_link_order=0");
    std::string said;
    ASSERT_TRUE(run.StartPlaying({"--difficulty", "0", "--full-resolution"}, kStartTimeout, said))
        << said;
}

TEST(Pad, TheTriggerFliesTheShipAndAFires) {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    CGameRun run;
    StartWithPad(run);

    Wait(0.5);
    const CGameRun::SImage resting = run.Capture();
    ASSERT_FALSE(resting.rgb.empty());
    EXPECT_GT(resting.Share(372, 519, 452, 533, 225, 255), 0.15) << "PAD: in the message box";

    run.WriteFile("pad.txt", "trigger 32767\n");
    Wait(1.0);
    const CGameRun::SImage flying = run.Capture();
    EXPECT_GT(flying.DifferenceFrom(resting, 0, 50, 800, 450), 10.0) << "a new stretch of tunnel";
    EXPECT_GT(flying.CountChanged(resting, 582, 482, 780, 578), 1000) << "the speed bar";

    run.WriteFile("pad.txt", "trigger 0\n");
    Wait(2.0);
    const CGameRun::SImage stopped = run.Capture();
    run.WriteFile("pad.txt", "trigger 0\na 1\n");
    int mostChanged = 0;
    for (int look = 0; look < 8; ++look) { // shots come in bursts of up to 15
        Wait(0.1);
        mostChanged = std::max(mostChanged, run.Capture().CountChanged(stopped, 0, 50, 800, 450));
    }
    EXPECT_GT(mostChanged, 50) << "shots";

    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
}

// The menu by pad: Start opens it, the stick and the d-pad each move one line, A chooses NEW
// WORLD, which prints its line; Start opens it again and B closes it, the game going on.
TEST(Pad, StartOpensTheMenuWhichThePadSteers) {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    CGameRun run;
    StartWithPad(run);
    for (const char* state :
         {"start 1", "start 0", "y 32767", "y 0", "down 1", "down 0", "a 1", "a 0"}) {
        Wait(0.3);
        run.WriteFile("pad.txt", std::string(state) + "\n");
    }
    EXPECT_TRUE(run.WaitForOutput("world: difficulty 0", 10.0)) << run.ReadStdout();
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
}

} // namespace
