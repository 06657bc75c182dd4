// What is drawn, and how, never changes what happens next: a windowed game with every display
// toggle flipped at its own frame, the scene drawn smaller and the best run's ghost flying beside
// it ends in the state of a game that ran the rules alone.

#include "GameGl.h"
#include "app/KeyHandler.h"
#include "game/Ghost.h"
#include "render/ResolutionScaler.h"
#include "runs/ReplayFiles.h"

#include <GL/glut.h>
#include <filesystem>
#include <string>

namespace {

constexpr int kDifficulty = 3;
constexpr int kLength = 200;
constexpr unsigned kSeed = 11;
constexpr int kFrames = 700;

// The same player for every game: full speed, a weave, bursts of fire.
void HoldKeys(CInput& input, int frame) {
    input.KeyDown(' ', 0, 0);
    (frame / 40) % 3 == 0 ? input.KeyDown('d', 0, 0) : input.KeyUp('d', 0, 0);
    (frame / 20) % 2 == 0 ? input.KeyDown('y', 0, 0) : input.KeyUp('y', 0, 0);
}

class GameReplayGl : public GameGl {
protected:
    void SetUp() override {
        GameGl::SetUp();
        if (IsSkipped()) {
            return;
        }
        files = std::make_unique<CReplayFiles>(data->GetPath());
    }

    // The rules alone, the same player, no toggles.
    std::uint64_t RulesOnlyHash() {
        CTimer clock([this] { return ++otherNow; }, kFramesPerSecond);
        CInput keys;
        CRenderSettings toggles;
        testing::internal::CaptureStdout();
        CGame rules(&toggles, &keys, &clock, CGame::EOutput::RulesOnly);
        rules.SetSeed(kSeed);
        rules.SetDifficulty(kDifficulty);
        rules.SetTunnelLength(kLength);
        rules.Setup();
        testing::internal::GetCapturedStdout();
        for (int frame = 0; frame < kFrames; ++frame) {
            HoldKeys(keys, frame);
            rules.Frame();
        }
        return rules.HashState();
    }

    std::unique_ptr<CReplayFiles> files;
    std::int64_t otherNow = 1000 * kFramesPerSecond;
};

TEST_F(GameReplayGl, TogglesScaleAndGhostLeaveTheStateOfTheRulesAlone) {
    LeaveABestRun(*files, kDifficulty, kLength, kSeed);
    const std::uint64_t expected = RulesOnlyHash();

    CResolutionScaler scaler;
    scaler.SetAutomatic(true);
    Make(
        kDifficulty, kLength,
        [this](CGame& game, unsigned seed) {
            game.SetSeed(seed);
            game.SetReplayFiles(files.get());
        },
        kSeed);
    game->SetResolutionScaler(&scaler); // after Setup: no warm-up frame, the scale still works
    ASSERT_NE(game->GetGhost(), nullptr);
    CKeyHandler keys(game.get(), &input, &settings);
    const int toggles[] = {GLUT_KEY_F3,  GLUT_KEY_F9, GLUT_KEY_F6, GLUT_KEY_F8,
                           GLUT_KEY_F12, GLUT_KEY_F2, GLUT_KEY_F5, GLUT_KEY_F3};
    int toggled = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        if (frame % 60 == 30 && toggled < static_cast<int>(std::size(toggles))) {
            keys.SpecialKeyDown(toggles[toggled], 0, 0);
            keys.KeyUp(toggles[toggled++], 0, 0);
        }
        if (frame == 250 || frame == 500) {
            keys.KeyDown('G', 0, 0); // the ghost off, and on again
        }
        // Slow frames now and then: the scene is drawn smaller for a while.
        scaler.AddFrame(frame % 200 < 60 ? 40.0 : 5.0);
        HoldKeys(input, frame);
        Frames(1);
    }
    EXPECT_EQ(toggled, static_cast<int>(std::size(toggles)));
    EXPECT_EQ(game->HashState(), expected);
}

} // namespace
