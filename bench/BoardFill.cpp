// Fills a board's database for its benchmarks: players p0, p1... each with a best in each of
// ten worlds (difficulty 3, 512 nodes, seeds 17 to 26), times spread so that every board ranks
// them all, and a small stand-in for each replay. The worlds' boards are then the pages that
// scripts/board-bench.sh reads under load.
//   zelkora_board_fill DATABASE RUNS      (sqlite:PATH or postgresql://...)

#include "board/BoardStore.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelkora_board_fill DATABASE RUNS\n");
        return 2;
    }
    std::string problem;
    const std::unique_ptr<CBoardStore> store = CBoardStore::OpenUrl(argv[1], problem);
    if (!store) {
        std::fprintf(stderr, "zelkora_board_fill: %s\n", problem.c_str());
        return 1;
    }
    const long runs = std::atol(argv[2]);
    constexpr int kWorlds = 10;
    for (long i = 0; i < runs; ++i) {
        const long player = i / kWorlds;
        const std::string name = "p" + std::to_string(player);
        if (i % kWorlds == 0) {
            store->ClaimName(name, name, "hash of " + name);
        }
        CBoardStore::SRun run;
        char id[65];
        std::snprintf(id, sizeof id, "%064lx", i + 1);
        run.id = id;
        run.player = name;
        run.world = CBoardStore::SWorld{3, 512, static_cast<unsigned>(17 + i % kWorlds)};
        run.milliseconds = 60000 + (player * 7919) % 60000;
        run.splits = {run.milliseconds / 3, run.milliseconds / 2};
        run.submittedAt = 1796644800 + i;
        run.recordedAt = run.submittedAt - 120;
        run.gameVersion = "1.3.0";
        run.replay = std::string(200, 'r');
        run.flight = run.id; // each a flight of its own
        store->Submit(run, name, "");
    }
    std::printf("zelkora_board_fill: %ld runs of %ld players in %d worlds\n", runs,
                (runs + kWorlds - 1) / kWorlds, kWorlds);
    return 0;
}
