// Real runs for the board's submission benchmark: the game flies each course at 60 frames a
// second, throttle held, in a world without enemies (difficulty 0, 120 nodes) of its own seed,
// and writes it as DIR/run-<seed>.zrp. Run from the game's data directory (its meshes).
//   zelkora_board_runs DIR COUNT

#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "base/AtomicFile.h"
#include "game/Game.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelkora_board_runs DIR COUNT\n");
        return 2;
    }
    const std::string directory = argv[1];
    const int count = std::atoi(argv[2]);
    for (int seed = 1; seed <= count; ++seed) {
        std::int64_t now = 1000000;
        CTimer timer([&now] { return ++now; }, 60);
        CInput input;
        CRenderSettings settings;
        CGame game(&settings, &input, &timer, CGame::EOutput::RulesOnly);
        game.SetSeed(static_cast<unsigned>(seed));
        game.SetDifficulty(0);
        game.SetTunnelLength(120);
        game.Setup();
        input.KeyDown(' ', 0, 0);
        for (int frame = 0; frame < 100000 && game.GetLastRun() == nullptr; ++frame) {
            game.Frame();
        }
        std::string bytes;
        std::string problem;
        if (game.GetLastRun() == nullptr || !game.GetLastRun()->Encode(bytes, problem) ||
            !CAtomicFile::Replace(directory + "/run-" + std::to_string(seed) + ".zrp", bytes,
                                  problem)) {
            std::fprintf(stderr, "zelkora_board_runs: seed %d: %s\n", seed, problem.c_str());
            return 1;
        }
    }
    return 0;
}
