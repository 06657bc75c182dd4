// The frame that reaches the finish, which sets a new best: how long it takes with the records
// and replays kept in a scratch directory. Each iteration flies a new world of 40 nodes without
// enemies, holding the throttle, and times that one frame alone; the counter "saves_ms" is how
// long the game then still waits at a quit for what it saves. With the fsync shim preloaded
// (SlowFsync.c), every fsync takes as long as a slow disk's.

#include "GameDataDirectory.h"
#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "entities/Player.h"
#include "game/Game.h"
#include "runs/Records.h"
#include "runs/ReplayFiles.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::int64_t scriptedCounter = 1000000;
std::int64_t ReadScriptedCounter() {
    return scriptedCounter++;
}

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_FinishFrameWithANewBest(benchmark::State& state) {
    const CGameDataDirectory data; // the meshes and sounds the world needs
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("zelkora-finish-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    CRecords records(scratch.string());
    records.Load();
    CReplayFiles replayFiles(scratch.string());
    CTimer timer(&ReadScriptedCounter, 60);
    CInput input;
    CRenderSettings settings;
    CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
    game.SetRecords(&records);
    game.SetReplayFiles(&replayFiles);
    game.SetSeed(1);
    unsigned nextSeed = 2;
    game.SetNewWorldSeedSource([&nextSeed] { return nextSeed++; });
    game.SetDifficulty(0);
    game.SetTunnelLength(40);
    game.Setup();
    double savesMs = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        game.NewWorld();
        CInput::SPadCommands held;
        held.accelerate = true;
        input.SetPadCommands(held);
        const int finish = game.GetTunnel()->GetFinishNode();
        while (game.GetPlayer()->GetNodeIndex() + 1 < finish) {
            game.Frame();
        }
        // The frame that judges the finish keeps the run: it is the one timed.
        const CReplay* before = game.GetLastRun();
        double finishFrame = 0.0;
        while (game.GetLastRun() == before) {
            const auto start = Clock::now();
            game.Frame();
            finishFrame = MillisecondsSince(start);
        }
        state.SetIterationTime(finishFrame / 1000.0);
        const auto waitStart = Clock::now();
        game.WaitForSaves(std::chrono::seconds(60));
        savesMs += MillisecondsSince(waitStart);
        state.ResumeTiming();
    }
    state.counters["saves_ms"] = benchmark::Counter(savesMs, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(scratch);
}

} // namespace

BENCHMARK(BM_FinishFrameWithANewBest)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
