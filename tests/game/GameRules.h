#pragma once

// A game of rules only (no window, no OpenGL, no sound) with a fixed seed and a counter of our
// own for its clock, driven frame by frame: for the rules, the recorder and the replays.

#include "GameDataDirectory.h"
#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "game/Game.h"
#include "runs/ReplayPlayback.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class GameRules : public ::testing::Test {
protected:
    static constexpr std::int64_t kTicksPerSecond = 1000000000; // the real clock's nanoseconds
    static constexpr std::int64_t kFixedStep = kTicksPerSecond / 60;

    void SetUp() override { data = std::make_unique<CGameDataDirectory>(); }
    void TearDown() override {
        game.reset();
        data.reset();
    }

    // A rules-only game in that world; returns what Setup printed.
    std::string Make(int difficulty, int length, unsigned seed) {
        testing::internal::CaptureStdout();
        game = std::make_unique<CGame>(&settings, &input, &timer, CGame::EOutput::RulesOnly);
        game->SetSeed(seed);
        game->SetDifficulty(difficulty);
        game->SetTunnelLength(length);
        game->Setup();
        return testing::internal::GetCapturedStdout();
    }

    // One frame, its clock moved on by that many ticks.
    void Frame(std::int64_t ticks = kFixedStep) {
        now += ticks;
        game->Frame();
    }

    // Plays a recording through a fresh rules-only game of its world to its end.
    static std::unique_ptr<CReplayPlayback> PlayBack(const CReplay& recorded) {
        auto playback = std::make_unique<CReplayPlayback>(recorded);
        CTimer clock;
        CInput commands;
        CRenderSettings toggles;
        testing::internal::CaptureStdout();
        CGame replayed(&toggles, &commands, &clock, CGame::EOutput::RulesOnly);
        replayed.SetPlayback(playback.get());
        replayed.Setup();
        testing::internal::GetCapturedStdout();
        while (!playback->HasEnded()) {
            replayed.Frame();
        }
        return playback;
    }

    std::unique_ptr<CGameDataDirectory> data;
    std::int64_t now = 1000 * kTicksPerSecond;
    CTimer timer{[this] { return now; }, kTicksPerSecond};
    CInput input;
    CRenderSettings settings;
    std::unique_ptr<CGame> game;
};
