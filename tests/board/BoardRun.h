#pragma once

#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "game/Game.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// A run the game itself flew at 60 frames a second, holding the throttle from the first frame,
// in the built game's data directory: its own meshes, so that the game's check flies it alike.
// Difficulty 0 has no enemies, so the ship always gets to the finish. stallAt: a frame before
// which the machine stalls for five seconds, or -1. coastAt: a frame from which the throttle is
// let go for a second, for a slower run, or -1.
inline CReplay FlyTheCourse(int difficulty, int length, unsigned seed, int stallAt = -1,
                            int coastAt = -1) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZELKORA_DATA_DIR);
    std::int64_t now = 1000000;
    CTimer timer([&now] { return ++now; }, 60);
    CInput input;
    CRenderSettings settings;
    testing::internal::CaptureStdout();
    CReplay flown;
    {
        CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
        game.SetSeed(seed);
        game.SetDifficulty(difficulty);
        game.SetTunnelLength(length);
        game.Setup();
        input.KeyDown(' ', 0, 0);
        for (int frame = 0; frame < 100000 && game.GetLastRun() == nullptr; ++frame) {
            now += frame == stallAt ? 5 * 60 : 0;
            if (frame == coastAt) {
                input.KeyUp(' ', 0, 0);
            } else if (frame == coastAt + 60) {
                input.KeyDown(' ', 0, 0);
            }
            game.Frame();
        }
        if (game.GetLastRun() != nullptr) {
            flown = *game.GetLastRun();
        }
    }
    testing::internal::GetCapturedStdout();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(flown.finished);
    return flown;
}
