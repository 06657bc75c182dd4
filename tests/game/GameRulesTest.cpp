// The rules of the game's frame, on a game of rules alone (no window, no sound) with a fixed
// seed and a fixed step: shot slots, ramming and P mode.

#include "GameRules.h"
#include "GameSetPieces.h"
#include "ToneFiles.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "entities/Player.h"
#include "game/Course.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "runs/Records.h"
#include "world/DailyWorld.h"
#include "world/Tunnel.h"

#include <vector>

namespace {

class GameRulesOnly : public GameRules {
protected:
    CEnemy& Enemy(std::size_t index) const { return EnemyOf(*game, index); }
    void ExplodeAllBut(std::size_t kept) const { ::ExplodeAllBut(*game, kept); }
    void FlyToNode(int node) {
        ::FlyToNode(*game, input, node, [this] { Frame(); });
    }
};

TEST_F(GameRulesOnly, ShotsFillSlotZeroThenFourteenDownToOneAndAFullTableFiresNothing) {
    Make(0, 120, 3); // no enemies to hit
    timer.Tick();    // the timer's first step is half a second: spent here, not on the shots
    input.KeyDown('y', 0, 0);
    // One frame each; the shots live 0.7 s, so none dies meanwhile.
    const int newShotSlot[] = {0, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, -1, -1};
    for (int frame = 0; frame < static_cast<int>(std::size(newShotSlot)); ++frame) {
        const CLaser* before[CGame::kShotSlots];
        for (int slot = 0; slot < CGame::kShotSlots; ++slot) {
            before[slot] = game->GetShot(slot);
        }
        Frame();
        std::vector<int> filled;
        for (int slot = 0; slot < CGame::kShotSlots; ++slot) {
            if (game->GetShot(slot) != before[slot]) {
                filled.push_back(slot);
            }
        }
        const std::vector<int> expected =
            newShotSlot[frame] < 0 ? std::vector<int>{} : std::vector<int>{newShotSlot[frame]};
        EXPECT_EQ(filled, expected) << "frame " << frame;
    }
}

// Two shots inside one enemy in the same frame explode it once, with one sound.
TEST_F(GameRulesOnly, TwoShotsThroughOneEnemyExplodeItOnce) {
    data.reset();
    data = std::make_unique<CGameDataDirectory>(3.0f, 60.0f, 1.0f); // wide enemies
    CTextureManager textures;
    std::vector<int> sounds;
    CCourse course(textures, [&sounds](int count) { sounds.push_back(count); });
    course.BuildTunnel(3, 300, 5);
    course.CreateCraft(3); // prints the enemies' count
    CEnemy& enemy = *course.GetEnemies()[0];
    for (const auto& other : course.GetEnemies()) { // the only one the shots can hit
        if (other.get() != &enemy) {
            other->Explode();
        }
    }
    Place(enemy, course.GetPlayer().GetPosition().Added(CVector3(0, 5000, 0))); // out of reach
    input.KeyDown('y', 0, 0);
    for (int frame = 0; frame < 10; ++frame) { // two shots, then clear of the ship
        if (frame == 2) {
            input.KeyUp('y', 0, 0);
        }
        course.Step(1.0f / 60, input);
    }
    ASSERT_TRUE(course.GetShot(0) && course.GetShot(14));
    Place(enemy,
          course.GetShot(0)->GetPosition().Added(course.GetShot(14)->GetPosition()).Scaled(0.5f));
    course.Step(1.0f / 60, input);
    EXPECT_EQ(sounds, std::vector<int>{2}) << "exploded once, with one sound";
}

// In a long world far enemies sleep: every enemy awake must stand and explode exactly as it
// does when none sleeps, frame by frame, in a straight world and bendy ones, stalls and all
// (the ship leaps past the sleepers' margins). The two fly one
// after the other, since both draw from the one random generator.
struct SSleepFrame {
    std::uint64_t state = 0;
    std::vector<std::size_t> awake;
    std::vector<float> places; // x, y, z and exploding of each awake enemy
};

void FlyForSleep(CInput& input, int difficulty, bool reference, std::vector<SSleepFrame>& frames) {
    CTextureManager textures;
    CCourse course(textures, [](int) {});
    if (reference) {
        course.KeepEveryEnemyAwake();
    }
    course.BuildTunnel(difficulty, 5000, 7);
    course.CreateCraft(difficulty); // prints the enemies' count
    input.KeyDown(' ', 0, 0);       // full speed throughout, firing and steering left by turns
    for (std::size_t frame = 0; frame < 1200; ++frame) {
        const char key = frame / 40 % 2 == 0 ? 'y' : 'd'; // 'd': the left arrow's code
        input.KeyDown(key, 0, 0);
        course.Step(frame % 300 == 299 ? 30.0f : 1.0f / 60, input); // a long stall: 120 nodes
        input.KeyUp(key, 0, 0);
        SSleepFrame seen;
        seen.state = course.HashState(0);
        const int firstDrawn = course.GetCamera().GetNodeIndex();
        const int lastDrawn = firstDrawn + course.GetTunnel().GetVisibleNodes();
        for (std::size_t i = 0; i < course.GetEnemies().size(); ++i) {
            const CEnemy& enemy = *course.GetEnemies()[i];
            const int node = enemy.GetNodeIndex();
            ASSERT_TRUE(reference || course.IsAwake(i) || enemy.IsDead() || node < firstDrawn ||
                        node > lastDrawn)
                << "asleep in sight: difficulty " << difficulty << " frame " << frame;
            if (reference
                    ? std::count(frames[frame].awake.begin(), frames[frame].awake.end(), i) == 0
                    : !course.IsAwake(i)) {
                continue;
            }
            const CVector3& at = enemy.GetPosition();
            seen.awake.push_back(i);
            seen.places.insert(seen.places.end(),
                               {at.x, at.y, at.z, enemy.IsExploding() ? 1.0f : 0.0f});
        }
        if (!reference) {
            frames.push_back(seen);
            continue;
        }
        ASSERT_EQ(seen.state, frames[frame].state)
            << "difficulty " << difficulty << " frame " << frame;
        ASSERT_TRUE(seen.places == frames[frame].places)
            << "difficulty " << difficulty << " frame " << frame;
    }
    input.KeyUp(' ', 0, 0);
}

TEST_F(GameRulesOnly, SleepingEnemiesWakeAsIfTheyHadNeverSlept) {
    for (const int difficulty : {1, 4, 9}) {
        std::vector<SSleepFrame> frames;
        FlyForSleep(input, difficulty, false, frames);
        ASSERT_EQ(frames.size(), 1200u) << "difficulty " << difficulty;
        std::size_t awake = 0;
        for (const SSleepFrame& frame : frames) {
            awake += frame.awake.size();
        }
        EXPECT_LT(awake, frames.size() * 5000 / difficulty / 2) << "most enemies slept";
        FlyForSleep(input, difficulty, true, frames);
    }
}

TEST_F(GameRulesOnly, RammingCostsFiveOncePerFrameAndNothingInPMode) {
    const struct {
        bool pMode;
        int energyAfterFirstFrame;
        int energyAfterSecondFrame;
    } cases[] = {{false, 95, 90}, {true, 100, 100}};
    for (const auto& c : cases) {
        game.reset();
        data.reset();
        data = std::make_unique<CGameDataDirectory>(3.0f, 60.0f, 1.0f); // wide enemies
        Make(3, 300, 5);
        ExplodeAllBut(2);
        CPlayer& ship = *game->GetPlayer();
        for (std::size_t i = 0; i < 2; ++i) { // both on the ship: hovering keeps them on it
            Place(Enemy(i), ship.GetPosition());
            Enemy(i).SetNodeIndex(ship.GetNodeIndex()); // not ahead: P mode leaves them
        }
        if (c.pMode) {
            game->TogglePMode();
        }
        Frame();
        EXPECT_TRUE(Enemy(0).IsExploding()) << c.pMode;
        EXPECT_FALSE(Enemy(1).IsExploding()) << "one ramming a frame, P mode " << c.pMode;
        EXPECT_EQ(ship.GetEnergy(), c.energyAfterFirstFrame) << c.pMode;
        Frame();
        EXPECT_TRUE(Enemy(1).IsExploding()) << c.pMode;
        EXPECT_EQ(ship.GetEnergy(), c.energyAfterSecondFrame) << c.pMode;
    }
}

TEST_F(GameRulesOnly, PModeExplodesTheEnemiesWhoseApproachStretchTheShipIsIn) {
    Make(1, 300, 9); // straight, with an enemy for every node of the course
    constexpr int kProbes = 5;
    ExplodeAllBut(kProbes);
    for (int i = 0; i < kProbes; ++i) {
        Place(Enemy(i), CVector3(0.0f, 5000.0f, 0.0f)); // far from the ship: no ramming
    }
    FlyToNode(25);
    const int n = game->GetPlayer()->GetNodeIndex();
    const int energy = game->GetPlayer()->GetEnergy();
    CEnemy& probe = Enemy(0);
    // The first node whose approach stretch begins exactly at the ship: strictly after is needed.
    int edge = n + 1;
    for (;; ++edge) {
        probe.SetNodeIndex(edge);
        probe.ComputeActivationNode(*game->GetTunnel());
        if (probe.GetActivationNode() >= n) {
            break;
        }
    }
    ASSERT_EQ(probe.GetActivationNode(), n) << "node lengths of at most 149: every node is hit";
    const struct {
        int node;
        bool explodes;
    } cases[kProbes] = {{n + 1, true}, {edge - 1, true}, {n, false}, {edge, false}, {n - 1, false}};
    const int count = kProbes;
    for (int i = 0; i < count; ++i) {
        Enemy(i).SetNodeIndex(cases[i].node);
        Enemy(i).ComputeActivationNode(*game->GetTunnel());
    }
    Frame();
    for (int i = 0; i < count; ++i) {
        EXPECT_FALSE(Enemy(i).IsExploding()) << "P mode is off; node " << cases[i].node;
    }
    game->TogglePMode();
    Frame();
    ASSERT_EQ(game->GetPlayer()->GetNodeIndex(), n);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(Enemy(i).IsExploding(), cases[i].explodes)
            << "ship at " << n << ", enemy at " << cases[i].node;
    }
    EXPECT_EQ(game->GetPlayer()->GetEnergy(), energy) << "no damage from P mode";
}

} // namespace

TEST_F(GameRulesOnly, NewWorldKeepsTheLastRunAndBuildsTheWorldItsSeedGivesAgain) {
    constexpr unsigned kNewSeed = 2000000011; // far past the 37 worlds the clock starts with
    const std::string fresh = Make(3, 200, kNewSeed);
    const std::uint64_t freshState = game->HashState();
    const std::string pathLine = fresh.substr(0, fresh.find('\n') + 1);
    ASSERT_EQ(pathLine.compare(0, 5, "path:"), 0) << fresh;

    Make(3, 200, 7);
    game->SetNewWorldSeedSource([] { return kNewSeed; });
    input.KeyDown(' ', 0, 0);
    for (int frame = 0; frame < 10; ++frame) {
        Frame();
    }
    testing::internal::CaptureStdout();
    game->NewWorld();
    const std::string said = testing::internal::GetCapturedStdout();

    ASSERT_NE(game->GetLastRun(), nullptr) << "the run in the old world is kept first";
    EXPECT_EQ(game->GetLastRun()->world.seed, 7u);
    EXPECT_EQ(game->GetLastRun()->frames.size(), 10u);
    EXPECT_EQ(said.compare(0, pathLine.size(), pathLine), 0) << said;
    const std::string worldLine = "world: difficulty 3 length 200 seed 2000000011\n";
    ASSERT_GE(said.size(), worldLine.size());
    EXPECT_EQ(said.substr(said.size() - worldLine.size()), worldLine);
    EXPECT_EQ(game->GetSeed(), kNewSeed);
    EXPECT_EQ(game->HashState(), freshState) << "the same world as --seed of it";
}

TEST_F(GameRulesOnly, TheRecordsTableShowsThisWorldThenTheMostRecentlyImprovedOthers) {
    Make(3, 200, 7);
    const int nodes = game->GetTunnel()->GetRingCount();
    EXPECT_EQ(game->GetRecordsTableLines(), std::vector<std::string>{"RECORDS OFF"});

    CScratchDirectory scratch;
    std::int64_t now = 1796738585; // 2026-12-08T14:03:05Z
    CRecords records(scratch.GetPath(), [&now] { return now; });
    records.Load();
    // Twelve other worlds, improved a minute apart, seed 100 first; then one of an older file.
    for (unsigned seed = 100; seed < 112; ++seed, now += 60) {
        records.Submit({4, 500, seed}, 60000 + seed);
    }
    // 7 December 2026, a Monday: its daily world, of the node count its length builds.
    const int daily = CTunnel::CountRings(2, CDailyWorld::kLength, 20261207);
    records.Submit({2, daily, 20261207}, 75000);
    now += 60;
    records.Submit({3, nodes, 7}, 83412);
    game->SetRecords(&records);
    EXPECT_FALSE(game->IsRecordsTableShown());
    game->ToggleRecordsTable();
    EXPECT_TRUE(game->IsRecordsTableShown());

    // Worlds in a column of 32, the time after: 44 glyphs at most, the panel's width.
    const std::vector<std::string> lines = game->GetRecordsTableLines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "RECORDS");
    EXPECT_EQ(lines[1], "THIS WORLD  D 3  N " + std::to_string(nodes) + "  SEED 7");
    EXPECT_EQ(lines[2], "BEST 1:23.41") << "no ghost without replay files";
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "D 2  N " + std::to_string(daily) + "  DAILY 2026.12.07   1:15.00");
    EXPECT_EQ(lines[5], "D 4  N 500  SEED 111            1:00.11");
    EXPECT_EQ(lines[13], "D 4  N 500  SEED 103            1:00.10") << "ten others at most";
    game->ToggleRecordsTable();
    EXPECT_FALSE(game->IsRecordsTableShown());
}

// A world a replay cannot hold says so on standard error: the start-up lines on standard output
// stay the game's own, the enemy count last with no line end.
TEST_F(GameRulesOnly, AWorldThatCannotBeRecordedLeavesTheStartUpLinesAlone) {
    testing::internal::CaptureStderr();
    const std::string said = Make(-2, 500, 3);
    const std::string warned = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.substr(said.find('\n') + 1),
              std::to_string(game->GetTunnel()->GetFinishNode() / -2));
    EXPECT_EQ(warned, "zelkora: replay: difficulty -2 out of range 0 to 1000 is outside what a "
                      "replay holds, runs are not recorded\n");
}
