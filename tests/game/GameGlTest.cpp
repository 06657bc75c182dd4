// Worlds, restarts, pauses and best times of a real game with a fixed seed and a fixed step.

#include "GameGl.h"
#include "ToneFiles.h"
#include "VirtualPad.h"
#include "app/Gamepads.h"
#include "app/KeyHandler.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "render/ResolutionScaler.h"
#include "render/TextureManager.h"
#include "runs/RecordsFile.h"

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

unsigned clockReading = 0; // what the time-of-day seed source says
unsigned ClockSeed() {
    return clockReading;
}

// Where everything of a world lies: ring centres, then enemy positions and nodes.
std::vector<float> WorldOf(CGame& game) {
    std::vector<float> world;
    const CTunnel& tunnel = *game.GetTunnel();
    for (int i = 0; i < tunnel.GetRingCount(); ++i) {
        const CVector3& centre = tunnel.GetRing(i).GetCentre();
        world.insert(world.end(), {centre.x, centre.y, centre.z});
    }
    for (const auto& enemy : game.GetEnemies()) {
        const CVector3& p = enemy->GetPosition();
        world.insert(world.end(), {p.x, p.y, p.z, static_cast<float>(enemy->GetNodeIndex())});
    }
    return world;
}

void ClockSaysSeed(CGame& game, unsigned seed) {
    clockReading = seed;
    game.SetSeedSource(&ClockSeed);
}

TEST_F(GameGl, ASeedGivesTheWorldTheClockGivesWhenItReadsThatSeed) {
    const struct {
        unsigned seed;
        int difficulty;
        int length;
    } cases[] = {{0, 3, 120}, {5, 9, 500}, {36, 1, 200}, {2147483647u, 4, 300}};
    for (const auto& c : cases) {
        const std::string clockOutput = Make(c.difficulty, c.length, &ClockSaysSeed, c.seed);
        const std::vector<float> byClock = WorldOf(*game);
        const std::string seedOutput = Make(c.difficulty, c.length, &FixedSeed, c.seed);
        EXPECT_EQ(game->GetSeed(), c.seed);
        EXPECT_EQ(WorldOf(*game), byClock) << "seed " << c.seed;
        EXPECT_EQ(seedOutput, clockOutput) << "the path line and the enemy count";

        CTextureManager registry; // the tunnel alone, seeded as the game seeds it
        testing::internal::CaptureStdout();
        CTunnel tunnel(registry, [&c] { return c.seed; });
        tunnel.Generate(c.difficulty, c.length);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(tunnel.GetRingCount(), game->GetTunnel()->GetRingCount());
        for (int i = 0; i < tunnel.GetRingCount(); ++i) {
            const CVector3& expected = tunnel.GetRing(i).GetCentre();
            const CVector3& got = game->GetTunnel()->GetRing(i).GetCentre();
            ASSERT_EQ(got.x, expected.x) << "seed " << c.seed << " ring " << i;
            ASSERT_EQ(got.y, expected.y);
            ASSERT_EQ(got.z, expected.z);
        }
    }
}

TEST_F(GameGl, RestartFliesTheSameWorldAgainFromTheStart) {
    const std::string startOutput = Make(3, 200, &FixedSeed, 7);
    const std::vector<float> world = WorldOf(*game);
    input.KeyDown(' ', 0, 0);
    input.KeyDown('y', 0, 0);
    timer.StartClock();
    Frames(90);
    game->TogglePMode();
    ASSERT_NE(game->GetShot(0), nullptr);
    ASSERT_GT(timer.GetGameClock(), 0.0);

    testing::internal::CaptureStdout();
    game->Restart();
    const std::string restartOutput = testing::internal::GetCapturedStdout();
    EXPECT_EQ(restartOutput, startOutput.substr(startOutput.find("path: ")) + "\n")
        << "the path line and the enemy count again, as a line";
    EXPECT_EQ(WorldOf(*game), world);
    EXPECT_EQ(timer.GetGameClock(), 0.0);
    EXPECT_FALSE(game->IsPMode());
    EXPECT_EQ(game->GetPlayer()->GetNodeIndex(), 0);
    EXPECT_EQ(game->GetPlayer()->GetSpeed(), 0.0f);
    for (int slot = 0; slot < CGame::kShotSlots; ++slot) {
        EXPECT_EQ(game->GetShot(slot), nullptr) << slot;
    }
    input.KeyUp('y', 0, 0);
    Frames(1);
    EXPECT_EQ(timer.GetGameClock(), 0.0) << "stopped until the start mark";
}

TEST_F(GameGl, PauseHoldsEverythingAndTheFirstStepAfterIsANormalOne) {
    Make(3, 200, &FixedSeed, 7);
    input.KeyDown(' ', 0, 0);
    Frames(30);
    timer.StartClock();
    Frames(1);
    CKeyHandler keys(game.get(), &input, &settings);
    keys.SpecialKeyDown(4, 0, 0); // F4
    const CVector3 shipAt = game->GetPlayer()->GetPosition();
    const double clock = timer.GetGameClock();
    const std::vector<float> world = WorldOf(*game);
    const int energy = game->GetPlayer()->GetEnergy();
    keys.KeyDown('p', 0, 0);
    keys.KeyDown('k', 0, 0);
    keys.KeyDown('y', 0, 0);
    Frames(20, 30); // ten seconds go by
    EXPECT_TRUE(game->IsPaused());
    EXPECT_EQ(Message(), "PAUSE");
    EXPECT_EQ(game->GetHud()->GetMessageStyle(), 1);
    EXPECT_EQ(game->GetPlayer()->GetPosition().z, shipAt.z);
    EXPECT_EQ(timer.GetGameClock(), clock);
    EXPECT_EQ(WorldOf(*game), world);
    EXPECT_FALSE(game->IsPMode()) << "P mode is ignored while paused";
    EXPECT_EQ(game->GetPlayer()->GetEnergy(), energy) << "so is self-destruct";
    EXPECT_EQ(game->GetShot(0), nullptr) << "and fire";
    keys.SpecialKeyDown(2, 0, 0); // F2 still works, and its message goes below the pause
    Frames(1);
    EXPECT_EQ(Message(), "PAUSE\nFPS OFF");
    EXPECT_EQ(settings.GetHideFps(), 1);

    keys.SpecialKeyDown(4, 0, 0);
    EXPECT_EQ(Message(), "");
    Frames(1);
    EXPECT_NEAR(timer.GetGameClock() - clock, 1.0 / kFramesPerSecond, 1e-9)
        << "the pause is no step";
    int shots = 0;
    for (int slot = 0; slot < CGame::kShotSlots; ++slot) {
        shots += game->GetShot(slot) != nullptr;
    }
    EXPECT_EQ(shots, 1) << "y held across the pause fires now";
    EXPECT_LT(game->GetPlayer()->GetPosition().z, shipAt.z) << "space still held";
}

// A board's world of the day has a seed of its own, no date: the records table names it by the
// date it is flown as, until n makes another world.
TEST_F(GameGl, TheWorldOfTheDaySaysSoAtTheStartAndInTheRecordsTableUntilANewWorld) {
    const CScratchDirectory scratch;
    records = std::make_unique<CRecords>(scratch.GetPath());
    Make(
        3, 200,
        [](CGame& game, unsigned seed) {
            FixedSeed(game, seed);
            game.SetDailyDate("2026-12-08");
        },
        1234567891);
    EXPECT_EQ(Message(), "DAILY 2026-12-08");
    EXPECT_EQ(game->GetHud()->GetMessageStyle(), 1);
    EXPECT_EQ(game->GetHud()->GetMessageSeconds(), 3);
    EXPECT_EQ(game->GetRecordsTableLines()[1], "THIS WORLD  D 3  N " +
                                                   std::to_string(game->GetWorld().nodes) +
                                                   "  DAILY 2026.12.08");
    testing::internal::CaptureStdout(); // the new world's lines
    game->NewWorld();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(game->GetRecordsTableLines()[1].find("DAILY"), std::string::npos);
}

// A still picture keeps its resolution: the scaler learns only from frames that ran the rules.
TEST_F(GameGl, TimedFramesFeedTheResolutionScalerButPausedOnesDoNot) {
    CResolutionScaler scaler;
    Make(3, 200, &FixedSeed, 7);
    game->SetResolutionScaler(&scaler);
    CKeyHandler keys(game.get(), &input, &settings);
    keys.SpecialKeyDown(4, 0, 0); // F4
    for (int frame = 0; frame < 2 * CResolutionScaler::kReactFrames; ++frame) {
        EXPECT_GT(game->TimedFrame(), 0.0);
    }
    EXPECT_LT(scaler.GetUnscaledMs(), 0.0) << "nothing learnt from paused frames";
    keys.SpecialKeyDown(4, 0, 0);
    for (int frame = 0; frame < CResolutionScaler::kReactFrames; ++frame) {
        game->TimedFrame();
    }
    EXPECT_GT(scaler.GetUnscaledMs(), 0.0) << "learnt from the frames that ran";
}

TEST_F(GameGl, TheFinishKeepsTheBestTimeOfTheWorldAndARunInPModeIsNotRecorded) {
    CScratchDirectory scratch;
    records = std::make_unique<CRecords>(scratch.GetPath());
    Make(0, 120, &FixedSeed, 11); // straight, no enemies: the finish is node 30
    ASSERT_TRUE(FlyToTheFinish());
    const std::string first = Message();
    const std::string firstTime = first.substr(9, first.find(' ', 9) - 9);
    EXPECT_EQ(first, "AUS:MAUS\n" + firstTime + " NEW BEST");
    EXPECT_EQ(game->GetHud()->GetMessageStyle(), 1);
    const CRecords::SWorld world{0, 120, 11};
    EXPECT_EQ(CRecords::FormatTime(records->GetBest(world)), firstTime);

    testing::internal::CaptureStdout();
    game->Restart();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(FlyToTheFinish(4)); // space let go every fourth frame: slower
    const std::string second = Message();
    EXPECT_EQ(second.rfind("AUS:MAUS\n", 0), 0u) << second;
    EXPECT_NE(second.find(" BEST " + firstTime), std::string::npos) << second;
    EXPECT_EQ(second.find("NEW"), std::string::npos) << second;

    testing::internal::CaptureStdout();
    game->Restart();
    testing::internal::GetCapturedStdout();
    game->TogglePMode();
    game->TogglePMode(); // on at any moment is enough
    ASSERT_TRUE(FlyToTheFinish());
    EXPECT_EQ(Message(), "AUS:MAUS\n" + firstTime + " NOT RECORDED");

    ASSERT_TRUE(game->WaitForSaves(std::chrono::seconds(60))); // saved off the frame
    std::ifstream file(scratch.Join("records.txt"));
    std::stringstream text;
    text << file.rdbuf();
    CRecords::Table saved;
    CRecords::OlderRules older;
    int badLine = 0;
    ASSERT_TRUE(CRecordsFile::Parse(text.str(), saved, older, badLine)) << text.str();
    ASSERT_EQ(saved.size(), 1u) << "one line for the world, however often it was flown";
    EXPECT_EQ(saved.at(world).milliseconds, records->GetBest(world));
}

TEST_F(GameGl, PadsAnnounceThemselvesAndTheirStartButtonPauses) {
    Make(3, 200, &FixedSeed, 7);
    CGamepads pads;
    ASSERT_TRUE(pads.Start(""));
    CVirtualPad pad("Test Pad with a name longer than the box");
    pads.Update(input, game.get());
    EXPECT_EQ(Message(), "PAD: TEST PAD WITH A NAME LONGE") << "upper case, cut to the box";
    for (const bool paused : {true, false}) {
        pad.Set(SDL_CONTROLLER_BUTTON_START, true);
        pads.Update(input, game.get());
        pad.Set(SDL_CONTROLLER_BUTTON_START, false);
        pads.Update(input, game.get());
        EXPECT_EQ(game->IsPaused(), paused);
    }
    pad.Set(SDL_CONTROLLER_BUTTON_BACK, true);
    pads.Update(input, game.get());
    Frames(1);
    EXPECT_FALSE(game->IsPaused()) << "Back does nothing";
    pad.Unplug();
    pads.Update(input, game.get());
    EXPECT_EQ(Message(), "PAD GONE");
}

} // namespace
