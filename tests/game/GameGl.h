#pragma once

// A real game with a fixed seed and a fixed step, driven frame by frame in a real GL context.

#include "GameDataDirectory.h"
#include "GlFixture.h"
#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "entities/Player.h"
#include "fx/Hud.h"
#include "game/Game.h"
#include "runs/Records.h"
#include "runs/ReplayFiles.h"
#include "world/Tunnel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GameGl : public GlFixture {
protected:
    static constexpr std::int64_t kFramesPerSecond = 60; // one counter tick per frame

    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        data = std::make_unique<CGameDataDirectory>();
    }

    void TearDown() override {
        game.reset();
        data.reset();
        GlFixture::TearDown();
    }

    // configure runs between construction and Setup; returns what Setup printed.
    std::string Make(int difficulty, int length,
                     const std::function<void(CGame&, unsigned)>& configure, unsigned seed) {
        testing::internal::CaptureStdout();
        game = std::make_unique<CGame>(&settings, &input, &timer);
        configure(*game, seed);
        game->SetDifficulty(difficulty);
        game->SetTunnelLength(length);
        game->SetRecords(records.get());
        game->Setup();
        return testing::internal::GetCapturedStdout();
    }

    void Frames(int count, std::int64_t ticksEach = 1) {
        for (int i = 0; i < count; ++i) {
            now += ticksEach;
            game->Frame();
        }
    }

    // Holds space until the ship is past the finish node, letting go of it every so many
    // frames if asked; false if it never got there.
    bool FlyToTheFinish(int releaseEvery = 0) {
        for (int frame = 0; frame < 5000; ++frame) {
            const bool press = releaseEvery == 0 || frame % releaseEvery != 0;
            press ? input.KeyDown(' ', 0, 0) : input.KeyUp(' ', 0, 0);
            Frames(1);
            if (game->GetPlayer()->GetNodeIndex() > game->GetTunnel()->GetFinishNode()) {
                input.KeyUp(' ', 0, 0);
                return true;
            }
        }
        return false;
    }

    std::string Message() const { return game->GetHud()->GetMessageText(); }

    // A first game, of rules only, at full speed all the way: it sets the world's record and
    // so leaves its best replay in files.
    void LeaveABestRun(CReplayFiles& files, int difficulty, int length, unsigned seed) {
        std::int64_t firstNow = 1000 * kFramesPerSecond;
        CTimer clock([&firstNow] { return ++firstNow; }, kFramesPerSecond);
        CInput keys;
        CRecords table(data->GetPath());
        testing::internal::CaptureStdout();
        CGame first(&settings, &keys, &clock, CGame::EOutput::RulesOnly);
        first.SetSeed(seed);
        first.SetDifficulty(difficulty);
        first.SetTunnelLength(length);
        first.SetRecords(&table);
        first.SetReplayFiles(&files);
        first.Setup();
        keys.KeyDown(' ', 0, 0);
        for (int i = 0; i < 5000 && first.GetLastRun() == nullptr; ++i) {
            first.Frame();
        }
        testing::internal::GetCapturedStdout();
        ASSERT_NE(first.GetLastRun(), nullptr);
        ASSERT_TRUE(first.GetLastRun()->finished);
    }

    std::unique_ptr<CGameDataDirectory> data;
    std::int64_t now = 1000 * kFramesPerSecond;
    CTimer timer{[this] { return now; }, kFramesPerSecond};
    CInput input;
    CRenderSettings settings;
    std::unique_ptr<CRecords> records;
    std::unique_ptr<CGame> game;
};

inline void FixedSeed(CGame& game, unsigned seed) {
    game.SetSeed(seed);
}
