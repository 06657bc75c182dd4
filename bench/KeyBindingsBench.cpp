// keys.txt is read once before the window opens: even the largest file the game reads must not
// be noticed at start. The key lookup runs on every key event and is a table index.
#include "settings/KeyBindings.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

const std::string kOneHand = "# one hand on the left of the keyboard\n"
                             "accelerate space\nfire a\nleft s\nright d\nup w\ndown x\n"
                             "pause F4 1\n";

// The largest file read: good lines first, then every later one naming a command again.
std::string LargestFile() {
    std::string text = kOneHand;
    while (text.size() + 32 < static_cast<std::size_t>(CKeyBindings::kLargestFile)) {
        text += "sound m TAB ENTER F12 # again\n";
    }
    return text;
}

void BM_ParseKeyFile(benchmark::State& state) {
    const std::string text = state.range(0) == 0 ? kOneHand : LargestFile();
    for (auto _ : state) {
        std::vector<std::string> problems;
        benchmark::DoNotOptimize(CKeyBindings::Parse(text, "keys.txt", problems));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_LookUpKey(benchmark::State& state) {
    const CKeyBindings& keys = CKeyBindings::Defaults();
    int code = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(keys.ForKey(code));
        code = (code + 1) & 0xFF;
    }
}

} // namespace

BENCHMARK(BM_ParseKeyFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookUpKey);
