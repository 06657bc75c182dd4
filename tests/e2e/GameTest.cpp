#include "GameRun.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <vector>

namespace {

constexpr double kStartTimeout = 30.0; // seconds until the window must be up
constexpr double kExitTimeout = 30.0;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The whole game with its generated data, driven from outside like a player would.
class Game : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
        ASSERT_TRUE(run.CopyGameData()) << "the build writes the game data first";
    }

    // Pictures that must stand still are taken at one resolution: with --full-resolution a
    // slow build does not draw the scene smaller between two looks.
    void Start(const std::string& ini, const std::vector<std::string>& arguments = {}) {
        if (!ini.empty()) {
            run.WriteFile("zelkora.ini", ini);
        }
        ASSERT_TRUE(run.Start(arguments));
        ASSERT_TRUE(run.WaitForWindow(kStartTimeout)) << run.ReadStdout() << run.ReadStderr();
        // Keys are read from the main loop on; a slow build may still be setting up.
        ASSERT_TRUE(run.WaitForOutput("start MainLoop...\n", kStartTimeout)) << run.ReadStdout();
    }

    void Quit() {
        ASSERT_TRUE(run.PressKey("q"));
        EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
    }

    // The window's picture after the frames have had time to settle.
    CGameRun::SImage Look(double afterSeconds = 0.5) {
        Wait(afterSeconds);
        CGameRun::SImage image = run.Capture();
        EXPECT_EQ(image.width, 800);
        return image;
    }

    CGameRun run;
};

// Standard output of a start: the path line, the enemy count with no line end, the start-up
// lines. Returns the node count and the enemy count.
bool ParseStartup(const std::string& output, int& nodes, int& enemies) {
    static const std::regex lines("^path: (\\d+) nodes \n(-?\\d+)init done\\. GL-Infos:\n"
                                  "VERSION:\t[^\n]+\nVENDOR: \t[^\n]+\n"
                                  "F2: fps \\| F3: wireframe \\| F6: vertex/array \\| "
                                  "F9: alpha \n\nstart MainLoop\\.\\.\\.\n$");
    std::smatch match;
    if (!std::regex_match(output, match, lines)) {
        return false;
    }
    nodes = std::stoi(match[1]);
    enemies = std::stoi(match[2]);
    return true;
}

TEST_F(Game, StartsWithItsLinesAndOneEnemyPerDifficultyNodes) {
    const struct {
        const char* ini;
        int difficulty;
        int minimumNodes;
    } cases[] = {
        {"", 3, 500},         {"2 2 1", 2, 1000}, {"4\n7\n", 4, 120},
        {"hard 2 2", 3, 500}, {"1 3 1", 1, 1500},
    };
    for (const auto& c : cases) {
        CGameRun variant;
        ASSERT_TRUE(variant.CopyGameData());
        if (c.ini[0] != '\0') {
            variant.WriteFile("zelkora.ini", c.ini);
        }
        ASSERT_TRUE(variant.Start());
        ASSERT_TRUE(variant.WaitForWindow(kStartTimeout))
            << c.ini << ": " << variant.ReadStdout() << variant.ReadStderr() << " exit "
            << variant.WaitForExit(1.0);
        ASSERT_TRUE(variant.WaitForOutput("start MainLoop...\n", kStartTimeout));
        ASSERT_TRUE(variant.PressKey("q"));
        EXPECT_EQ(variant.WaitForExit(kExitTimeout), 0);
        int nodes = 0;
        int enemies = 0;
        ASSERT_TRUE(ParseStartup(variant.ReadStdout(), nodes, enemies))
            << "ini '" << c.ini << "':\n"
            << variant.ReadStdout();
        EXPECT_GE(nodes, c.minimumNodes) << c.ini;
        EXPECT_EQ(enemies, (nodes - 90) / c.difficulty) << c.ini;
    }
}

// The world of the day names itself, n makes a new world and names its seed, and --seed of that
// seed builds the same world again. 7 December 2026 is a Monday: difficulty 2.
TEST_F(Game, TheWorldOfTheDayAndANewWorldFromNAreNamedAndFlownAgainFromTheirSeed) {
    run.SetWallClock("2026-12-07 12:00:00");
    Start("", {"--daily", "--seed", "5"});
    EXPECT_EQ(run.ReadStderr(), "zelkora: --daily flies the world of the day; --seed ignored\n");
    ASSERT_TRUE(run.WaitForOutput("daily: 2026-12-07 difficulty 2 length 1000 seed 20261207\n",
                                  kStartTimeout))
        << run.ReadStdout();

    ASSERT_TRUE(run.PressKey("n"));
    ASSERT_TRUE(run.WaitForOutput("world: difficulty", kStartTimeout)) << run.ReadStdout();
    Quit();
    static const std::regex newWorld("path: (\\d+) nodes \n(\\d+)\nworld: difficulty (\\d+) "
                                     "length 1000 seed (\\d+)\n");
    std::smatch match;
    const std::string said = run.ReadStdout();
    ASSERT_TRUE(std::regex_search(said, match, newWorld)) << said;
    EXPECT_EQ(match[3], "2") << "the day's difficulty";

    CGameRun again;
    ASSERT_TRUE(again.CopyGameData());
    ASSERT_TRUE(again.Start({"--seed", match[4], "--difficulty", match[3], "--length", "1000"}));
    ASSERT_TRUE(again.WaitForWindow(kStartTimeout)) << again.ReadStderr();
    ASSERT_TRUE(again.WaitForOutput("start MainLoop...\n", kStartTimeout)) << again.ReadStdout();
    ASSERT_TRUE(again.PressKey("q"));
    EXPECT_EQ(again.WaitForExit(kExitTimeout), 0);
    int nodes = 0;
    int enemies = 0;
    ASSERT_TRUE(ParseStartup(again.ReadStdout(), nodes, enemies)) << again.ReadStdout();
    EXPECT_EQ(nodes, std::stoi(match[1]));
    EXPECT_EQ(enemies, std::stoi(match[2]));
}

// keys.txt moves the new world from n to j: n does nothing, j makes the world, and the file's
// bad line is named on standard error while the game starts anyway.
TEST_F(Game, KeysTxtGivesACommandItsNewKeyAndNamesABadLine) {
    run.WriteFile("config/zelkora/keys.txt", "new-world j\nfire q\n");
    Start("");
    EXPECT_EQ(run.ReadStderr(), "zelkora: " + run.GetDirectory() +
                                    "/config/zelkora/keys.txt:2: q always quits and cannot be "
                                    "bound; the line is ignored\n");
    ASSERT_TRUE(run.PressKey("j"));
    ASSERT_TRUE(run.WaitForOutput("world: difficulty", kStartTimeout)) << run.ReadStdout();
    ASSERT_TRUE(run.PressKey("n"));
    Quit(); // q still quits, after n has had its turn
    const std::string said = run.ReadStdout();
    EXPECT_EQ(said.find("world: difficulty"), said.rfind("world: difficulty"))
        << "n made a world too:\n"
        << said;
}

TEST_F(Game, DifficultyZeroRunsStraightWithoutEnemies) {
    Start("0 500 1");
    Quit();
    int nodes = 0;
    int enemies = -1;
    ASSERT_TRUE(ParseStartup(run.ReadStdout(), nodes, enemies)) << run.ReadStdout();
    EXPECT_EQ(nodes, 500) << "no bends, so exactly the length";
    EXPECT_EQ(enemies, 0);
}

TEST_F(Game, AMissingGameSoundEndsItBeforeAnyWindow) {
    std::filesystem::remove(run.GetDirectory() + "/sounds/squeaky.wav");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 1);
    EXPECT_EQ(run.ReadStdout(), "cant open soundfile sounds/squeaky.wav: File not found\n");
}

TEST_F(Game, AMissingTextureIsReportedAndTheGamePlaysOn) {
    std::filesystem::remove(run.GetDirectory() + "/texture/segment3.tga");
    Start("");
    Quit();
    const std::string output = run.ReadStdout();
    EXPECT_EQ(output.rfind("ERROR! CTexture cant open file texture/segment3.tga\npath: ", 0), 0u)
        << output;
}

TEST_F(Game, DrawsTheTexturedTunnelAndTheHud) {
    Start("");
    const CGameRun::SImage frame = Look(1.5);
    ASSERT_FALSE(frame.rgb.empty());
    EXPECT_TRUE(run.Screenshot(CGameRun::GetScreenshotDirectory() + "/game.png"));
    // The wall fills the view: little is black, and it is not one flat colour.
    EXPECT_LT(frame.Share(0, 0, 800, 600, 0, 8), 0.5);
    // White text in the top corners: the frame rate on the left, the clock on the right.
    EXPECT_GT(frame.Share(18, 16, 100, 34, 240, 255), 0.05) << "FPS text";
    EXPECT_GT(frame.Share(728, 16, 790, 34, 240, 255), 0.05) << "clock";

    ASSERT_TRUE(run.PressKey("F2"));
    const CGameRun::SImage fpsOff = Look();
    EXPECT_LT(fpsOff.Share(18, 16, 100, 34, 240, 255), 0.01) << "FPS text hidden";
    EXPECT_GT(fpsOff.DifferenceFrom(frame, 262, 458, 517, 585), 10.0) << "message box shown";

    ASSERT_TRUE(run.PressKey("F3"));
    const CGameRun::SImage wireframe = Look();
    EXPECT_GT(wireframe.Share(100, 150, 700, 450, 0, 8),
              frame.Share(100, 150, 700, 450, 0, 8) + 0.3)
        << "wireframe shows the black behind the walls";
    Quit();
}

TEST_F(Game, SpaceFliesTheShipAndYFires) {
    Start("0 500 1", {"--full-resolution"}); // no enemies: only the ship and its shots move
    const CGameRun::SImage resting = Look(1.0);
    ASSERT_TRUE(run.KeyDown("space"));
    const CGameRun::SImage flying = Look(1.0);
    ASSERT_TRUE(run.KeyUp("space"));
    EXPECT_GT(flying.DifferenceFrom(resting, 0, 50, 800, 450), 10.0) << "a new stretch of tunnel";
    EXPECT_GT(flying.CountChanged(resting, 582, 482, 780, 578), 1000) << "the speed bar";

    // Stopped again, the picture holds still; shots then fly into it.
    const CGameRun::SImage stopped = Look(2.0);
    EXPECT_LT(Look(0.3).CountChanged(stopped, 0, 50, 800, 450), 20) << "a still picture";
    ASSERT_TRUE(run.KeyDown("y"));
    int mostChanged = 0;
    for (int look = 0; look < 8; ++look) { // shots come in bursts of up to 15
        mostChanged = std::max(mostChanged, Look(0.1).CountChanged(stopped, 0, 50, 800, 450));
    }
    ASSERT_TRUE(run.KeyUp("y"));
    EXPECT_GT(mostChanged, 50) << "shots";
    Quit();
}

TEST_F(Game, AShortCourseEndsAtTheFinishWithTheClockStoppedAndDeadControls) {
    Start("0 120 1", {"--full-resolution"}); // straight, no enemies: the finish is node 30
    ASSERT_TRUE(run.KeyDown("space"));
    const CGameRun::SImage finished = Look(20.0); // 30 nodes of 100 to 149 at up to 500 a second
    const CGameRun::SImage later = Look(1.5);
    ASSERT_TRUE(run.KeyUp("space"));
    EXPECT_LT(later.DifferenceFrom(finished, 728, 16, 790, 34), 1.0) << "the clock has stopped";
    EXPECT_GT(later.Share(372, 519, 452, 533, 225, 255), 0.15) << "AUS:MAUS in the box";
    // Space is still held, yet the controls are dead: the ship has coasted to a stop.
    EXPECT_LT(later.DifferenceFrom(finished, 0, 50, 800, 450), 3.0) << "the view stands still";
    Quit();
}

} // namespace
