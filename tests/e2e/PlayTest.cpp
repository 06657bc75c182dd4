// What players do beyond the flight itself, on the real binary: pause, best times, restart,
// screenshots and full screen.

#include "Eventually.h"
#include "GameRun.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kExitTimeout = 30.0;
constexpr double kFlightTimeout = 60.0; // 30 nodes at full speed take about 20 s

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Play : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
        ASSERT_TRUE(run.LinkGameData());
    }

    void Start(const std::vector<std::string>& arguments = {}) {
        std::string said;
        ASSERT_TRUE(run.StartPlaying(arguments, kStartTimeout, said)) << said;
    }

    void Quit() {
        ASSERT_TRUE(run.PressKey("q"));
        EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
    }

    CGameRun::SImage Look(double afterSeconds = 0.5) {
        Wait(afterSeconds);
        return run.Capture();
    }

    std::string RecordsPath() const { return run.GetDataDirectory() + "/records.txt"; }

    // Holds space until finished says so.
    bool FlyUntil(const std::function<bool()>& finished) {
        if (!run.KeyDown("space")) {
            return false;
        }
        const bool arrived = Eventually(kFlightTimeout, finished, 0.2);
        run.KeyUp("space");
        return arrived;
    }

    // Flies with a short break from space every cycle, which costs speed, until the finish
    // message shows.
    bool FlySlowlyToTheFinish() {
        for (int cycle = 0; cycle < 40; ++cycle) {
            run.KeyDown("space");
            Wait(1.2);
            const bool finished = FinishShown(run.Capture());
            run.KeyUp("space");
            if (finished) {
                return true;
            }
            Wait(0.25);
        }
        return false;
    }

    // The first line of the finish message, in the box that no other message showed since.
    static bool FinishShown(const CGameRun::SImage& frame) {
        return !frame.rgb.empty() && frame.Share(372, 519, 452, 533, 225, 255) > 0.15;
    }

    CGameRun run;
};

TEST_F(Play, F4FreezesThePictureAndASecondF4MovesItOn) {
    Start({"--difficulty", "0"});    // nothing moves but the ship
    ASSERT_TRUE(run.PressKey("F2")); // the frame rate changes by itself
    ASSERT_TRUE(run.KeyDown("space"));
    Wait(1.0);
    ASSERT_TRUE(run.PressKey("F4"));
    const CGameRun::SImage paused = Look(0.5);
    const CGameRun::SImage later = Look(1.0);
    ASSERT_FALSE(paused.rgb.empty());
    EXPECT_EQ(later.CountChanged(paused, 0, 0, 800, 600, 0), 0) << "not one pixel moved";
    EXPECT_GT(paused.Share(372, 519, 422, 533, 225, 255), 0.15) << "PAUSE in the box";

    ASSERT_TRUE(run.PressKey("F4")); // space is still held: the ship flies on
    const CGameRun::SImage resumed = Look(1.0);
    ASSERT_TRUE(run.KeyUp("space"));
    EXPECT_GT(resumed.DifferenceFrom(paused, 0, 50, 800, 450), 5.0);
    Quit();
}

TEST_F(Play, TheFinishKeepsTheBestTimeAndRFliesTheSameWorldAgain) {
    // An older game's file, without dates or rules: kept, and written in today's form with the
    // record, which notes the rules it was set under.
    run.WriteFile("data/zelkora/records.txt", "zelkora records 1\n5 500 2 10.000\n");
    const std::string otherWorld = "5 500 2 10.000 - -\n";
    Start(CGameRun::kShortCourse);
    const std::string startOutput = run.ReadStdout();
    const std::regex worldLine("^zelkora records 3\n(.*\n)*0 120 4 \\d+\\.\\d{3} "
                               "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ \\d+\\.\\d+\\.\\d+\n");
    ASSERT_TRUE(FlyUntil([&] { return std::regex_search(ReadFile(RecordsPath()), worldLine); }))
        << ReadFile(RecordsPath());
    const std::string firstRecords = ReadFile(RecordsPath());
    EXPECT_NE(firstRecords.find(otherWorld), std::string::npos) << "other worlds are kept";
    EXPECT_TRUE(FinishShown(Look(1.0))) << "AUS:MAUS in the box";

    ASSERT_TRUE(run.PressKey("r"));
    // The same path line and enemy count once more, as a line of their own.
    const std::smatch start = [&] {
        std::smatch match;
        std::regex_search(startOutput, match, std::regex("^path: \\d+ nodes \n-?\\d+"));
        return match;
    }();
    ASSERT_FALSE(start.empty()) << startOutput;
    ASSERT_TRUE(run.WaitForOutput("start MainLoop...\n" + start.str() + "\n", kStartTimeout))
        << run.ReadStdout();

    // A slower run through the same world: the best stays, and stays the only line for it.
    const std::string restartOutput = run.ReadStdout();
    ASSERT_TRUE(FlySlowlyToTheFinish());
    Wait(1.0);
    EXPECT_EQ(ReadFile(RecordsPath()), firstRecords);
    Quit();
    EXPECT_EQ(run.ReadStdout(), restartOutput) << "nothing more said";
}

TEST_F(Play, ADamagedRecordsFileIsSetAsideAndAnUnwritableDirectoryStopsNothing) {
    run.WriteFile("data/zelkora/records.txt", "zelkora records 1\n3 500 x 1.000\n");
    run.WriteFile("data/zelkora/records.txt.bad", "an older damaged file\n");
    Start();
    Quit();
    const std::string dir = run.GetDataDirectory();
    EXPECT_EQ(run.ReadStdout().rfind("records: " + dir +
                                         "/records.txt: line 2 is bad: \"3 500 x "
                                         "1.000\"; moved it to " +
                                         dir + "/records.txt.bad.1",
                                     0),
              0u)
        << run.ReadStdout();
    EXPECT_EQ(ReadFile(dir + "/records.txt.bad"), "an older damaged file\n");
    EXPECT_EQ(ReadFile(dir + "/records.txt.bad.1"), "zelkora records 1\n3 500 x 1.000\n");

    // The data directory lies below a plain file: nothing can be made there, not even by root.
    CGameRun blocked;
    ASSERT_TRUE(blocked.LinkGameData());
    blocked.WriteFile("plain", "");
    blocked.SetEnvironment("XDG_DATA_HOME", blocked.GetDirectory() + "/plain");
    std::string said;
    ASSERT_TRUE(blocked.StartPlaying(CGameRun::kShortCourse, kStartTimeout, said)) << said;
    ASSERT_TRUE(blocked.KeyDown("space"));
    EXPECT_TRUE(blocked.WaitForOutput("records: cant save", kFlightTimeout))
        << blocked.ReadStdout();
    ASSERT_TRUE(blocked.KeyUp("space"));
    EXPECT_TRUE(blocked.IsRunning());
    ASSERT_TRUE(blocked.PressKey("q"));
    EXPECT_EQ(blocked.WaitForExit(kExitTimeout), 0);
}

TEST_F(Play, F10SavesThePictureAsAPngAndF11GoesFullScreenWithBarsAndBack) {
    Start();
    ASSERT_TRUE(run.PressKey("F10"));
    const fs::path shots = run.GetDataDirectory() + "/screenshots";
    std::vector<fs::path> saved;
    ASSERT_TRUE(Eventually(
        10.0,
        [&] {
            std::error_code ignored;
            saved.clear();
            for (const auto& entry : fs::directory_iterator(shots, ignored)) {
                saved.push_back(entry.path());
            }
            return saved.size() == 1 && std::regex_match(saved[0].filename().string(),
                                                         std::regex("zelkora-\\d{8}-\\d{6}\\.png"));
        },
        0.2));
    const CGameRun::SImage picture = run.LoadImage(saved[0].string());
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    EXPECT_LT(picture.Share(0, 0, 800, 600, 0, 8), 0.5) << "the tunnel, not a blank picture";
    EXPECT_GT(picture.Share(728, 16, 790, 34, 240, 255), 0.05) << "the HUD clock";

    const CGameRun::SGeometry window = run.GetWindowGeometry();
    const CGameRun::SGeometry screen = CGameRun::GetScreenGeometry();
    ASSERT_EQ(screen.width, 1280) << "./test.sh runs a 1280 x 1024 screen";
    ASSERT_EQ(screen.height, 1024);
    ASSERT_TRUE(run.PressKey("F2"));
    ASSERT_TRUE(run.PressKey("F11"));
    ASSERT_TRUE(Eventually(
        10.0,
        [&] {
            const CGameRun::SGeometry g = run.GetWindowGeometry();
            return g.x == 0 && g.y == 0 && g.width == 1280 && g.height == 1024;
        },
        0.2));
    const CGameRun::SImage full = Look(1.0);
    ASSERT_EQ(full.width, 1280);
    ASSERT_EQ(full.height, 1024);
    EXPECT_EQ(full.Share(0, 0, 1280, 32, 0, 0), 1.0) << "the bar above";
    EXPECT_EQ(full.Share(0, 992, 1280, 1024, 0, 0), 1.0) << "the bar below";
    EXPECT_LT(full.Share(0, 32, 1280, 992, 0, 8), 0.5) << "the picture between";
    EXPECT_LT(full.Share(0, 32, 1280, 40, 0, 8), 0.9) << "from its first row";
    EXPECT_LT(full.Share(0, 984, 1280, 992, 0, 8), 0.9) << "to its last";

    ASSERT_TRUE(run.PressKey("F11"));
    EXPECT_TRUE(Eventually(
        10.0,
        [&] {
            const CGameRun::SGeometry g = run.GetWindowGeometry();
            return g.x == window.x && g.y == window.y && g.width == 800 && g.height == 600;
        },
        0.2))
        << "back to the window at its place";
    Quit();
}

} // namespace
