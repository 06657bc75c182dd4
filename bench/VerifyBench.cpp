// Checking a recorded two-minute run without a window, as zelkora --verify does, start-up (the
// world built afresh) included: in the default world and in the densest (1,410 enemies). The
// run is flown first by the timedemo's scripted player at 60 frames a second through the
// game's own recorder. Also what loading that run as a ghost adds to a game's start. The counter
// "run_per_check" is the run's time over the check's. And the longest world built and torn down
// as a check does it, with the game's own generated meshes.

#include "GameDataDirectory.h"
#include "ScriptedPlayer.h"
#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "game/Game.h"
#include "game/Ghost.h"
#include "runs/ReplayFiles.h"
#include "runs/ReplayPlayback.h"
#include "world/Tunnel.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <memory>
#include <utility>

namespace {

constexpr int kTwoMinutes = 7200;

std::int64_t scriptedCounter = 1000000;
std::int64_t ReadScriptedCounter() {
    return scriptedCounter++;
}

CReplay FlyTwoMinutes(int difficulty, int length) {
    CTimer timer(&ReadScriptedCounter, 60);
    CInput input;
    CRenderSettings settings;
    CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
    game.SetSeed(7);
    game.SetDifficulty(difficulty);
    game.SetTunnelLength(length);
    game.Setup();
    CKeyHandler keys(&game, &input, &settings);
    CScriptedPlayer player(keys);
    for (int frame = 0; frame < kTwoMinutes; ++frame) {
        player.BeforeFrame(frame);
        game.Frame();
    }
    game.EndRun();
    return *game.GetLastRun();
}

const CReplay& TwoMinuteRun(int difficulty, int length) {
    static std::map<std::pair<int, int>, CReplay> runs;
    auto found = runs.find({difficulty, length});
    if (found == runs.end()) {
        found = runs.emplace(std::make_pair(difficulty, length), FlyTwoMinutes(difficulty, length))
                    .first;
    }
    return found->second;
}

void BM_VerifyTwoMinuteRun(benchmark::State& state) {
    const CGameDataDirectory data; // the meshes and sounds the world needs
    const CReplay& run =
        TwoMinuteRun(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    bool matches = true;
    for (auto _ : state) {
        CReplayPlayback playback(run);
        CTimer timer;
        CInput input;
        CRenderSettings settings;
        CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
        game.SetPlayback(&playback);
        game.Setup();
        while (!playback.HasEnded()) {
            game.Frame();
        }
        matches = matches && playback.Matches();
    }
    if (!matches) {
        state.SkipWithError("the recorded run did not play back to its ending");
    }
    state.counters["run_per_check"] = benchmark::Counter(
        run.GetDuration() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// What the ghost adds to the start of a game: the world's best replay read, checked and turned
// into poses, and the ship's mesh (parsed once per file, so only copied here).
void BM_LoadGhostOfTwoMinuteRun(benchmark::State& state) {
    const CGameDataDirectory data;
    CReplay best = TwoMinuteRun(1, 1500);
    best.finished = true; // as a record-setting run is
    best.finishClock = best.GetDuration();
    best.world.nodes = 1500;
    CReplayFiles files(data.GetPath());
    files.SaveBest(best);
    for (auto _ : state) {
        const std::unique_ptr<CReplay> loaded = files.LoadBest(best.world);
        CGhost ghost(*loaded);
        ghost.LoadMesh();
        benchmark::DoNotOptimize(ghost.GetFinishClock());
    }
}

// Bytes the allocator hands out now, large blocks (which it maps apart) included.
double HeapBytes() {
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<double>(heap.uordblks + heap.hblkhd);
}

// The longest world the command line accepts, at difficulty 1: 99,910 enemies, each with its own
// mesh of one of the nine generated craft. The counter is the heap the built world holds.
void BM_BuildAndTearDownLongestWorld(benchmark::State& state) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZELKORA_DATA_DIR); // the meshes as the game reads them
    double worldBytes = 0.0;
    for (auto _ : state) {
        const double before = HeapBytes();
        CTimer timer;
        CInput input;
        CRenderSettings settings;
        CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
        game.SetSeed(1);
        game.SetDifficulty(1);
        game.SetTunnelLength(CTunnel::kMaximumLength);
        game.Setup();
        worldBytes = HeapBytes() - before;
    }
    std::filesystem::current_path(previous);
    state.counters["world_MB"] = worldBytes / (1 << 20);
}

} // namespace

// Difficulty and path nodes: the default world, then the densest.
BENCHMARK(BM_VerifyTwoMinuteRun)->Args({3, 500})->Args({1, 1500})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGhostOfTwoMinuteRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildAndTearDownLongestWorld)->Unit(benchmark::kMillisecond);
