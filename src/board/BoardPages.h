#pragma once

#include "board/BoardStore.h"

#include <string>
#include <vector>

// The board's web pages: plain HTML and CSS made on the server, no script, every name and
// value escaped.
class CBoardPages {
public:
    struct SDay {
        std::string date; // "2026-12-08"
        CBoardStore::SWorld world;
        std::vector<CBoardStore::SRankedRun> top;
    };

    static std::string Home(const SDay& today, const std::vector<CBoardStore::SRun>& latest,
                            const std::vector<std::string>& days);
    // ranked: the runs of this page of its board; top: the world's fastest runs, whose splits
    // the page draws (CSplitChart::kRuns of them).
    static std::string World(const CBoardStore::SWorld& world,
                             const std::vector<CBoardStore::SRankedRun>& ranked, int page,
                             int pages, const std::vector<CBoardStore::SRankedRun>& top);
    // A run's own page. rank: its rank on its world's board of players; 0 when it is off the
    // board (its player's faster run replaced it there).
    static std::string Run(const CBoardStore::SRun& run, int rank, int players);
    static std::string Day(const SDay& day, int page, int pages);
    static std::string NotFound(const std::string& what);

    static std::string Escape(const std::string& text);             // for text and attribute values
    static std::string WorldPath(const CBoardStore::SWorld& world); // "/worlds/3-512-17"
    static std::string RunPath(const std::string& id);              // "/runs/" and the id
    static std::string ReplayPath(const std::string& id); // "/api/runs/" and the id, "/replay"
    static std::string
    WorldName(const CBoardStore::SWorld& world); // "difficulty 3, 512 nodes, seed 17"

    // A replay as the browser saves it, so that the desktop hands it to the game.
    static constexpr const char* kReplayType = "application/x-zelkora-replay";
    // "zelkora-3-512-17-Ann.zrp"; any byte of the name but a letter, digit, '-' or '_' as '_', so
    // that it is safe in a header and as a file name.
    static std::string ReplayFileName(const CBoardStore::SRun& run);
};
