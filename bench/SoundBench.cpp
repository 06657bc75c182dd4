// Opening sounds: every laser shot opens "sounds/laser.wav" anew, so an open of a file that was
// opened before must cost next to nothing. Every chaser holds a stream of its own, so opening and
// closing must stay cheap with tens of thousands of streams open.

#include "ToneFiles.h"
#include "sound/SoundLibrary.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

namespace {

// A 0.3 s effect like the shot's, made once for the whole run.
const char* ShotSoundPath() {
    static const CScratchDirectory scratch;
    static const std::string path = [] {
        const std::string shot = scratch.Join("laser.wav");
        WriteWav(shot, MakeTone(880.0, 0.3));
        return shot;
    }();
    return path.c_str();
}

void StartSilently() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    FSOUND_Init(44100, 32, 0);
}

FSOUND_STREAM* OpenShotSound() {
    return FSOUND_Stream_Open(ShotSoundPath(), FSOUND_LOOP_NORMAL, 0, 0);
}

bool OpenAndClose(benchmark::State& state) {
    FSOUND_STREAM* stream = OpenShotSound();
    if (stream == nullptr) {
        state.SkipWithError("the shot sound did not open");
        return false;
    }
    FSOUND_Stream_Close(stream);
    return true;
}

// Read and decode: the library restarts off the clock before each open, forgetting the file.
void BM_OpenSoundFirstTime(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FSOUND_Close();
        StartSilently();
        state.ResumeTiming();
        if (!OpenAndClose(state)) {
            break;
        }
    }
    FSOUND_Close();
}
BENCHMARK(BM_OpenSoundFirstTime)->Iterations(300)->Unit(benchmark::kMicrosecond);

// The same file again: its decoded samples are shared.
void BM_OpenSoundAgain(benchmark::State& state) {
    StartSilently();
    FSOUND_Stream_Close(OpenShotSound());
    for (auto _ : state) {
        if (!OpenAndClose(state)) {
            break;
        }
    }
    FSOUND_Close();
}
BENCHMARK(BM_OpenSoundAgain)->Unit(benchmark::kMicrosecond);

// The chasers' streams of a world: all opened as it is built, then closed in the same order as
// its enemies go. The longest world has about 33,000 chasers.
void BM_OpenAndCloseAWorldsStreams(benchmark::State& state) {
    StartSilently();
    std::vector<FSOUND_STREAM*> streams(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        for (FSOUND_STREAM*& stream : streams) {
            stream = OpenShotSound();
        }
        for (FSOUND_STREAM* stream : streams) {
            FSOUND_Stream_Close(stream);
        }
    }
    FSOUND_Close();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenAndCloseAWorldsStreams)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(33000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
