#pragma once

#include "board/BoardStore.h"

#include <string>
#include <vector>

// A world's fastest runs drawn as an SVG made on the server, for its page: one line per run of
// its lead (above the middle line) or loss (below) against the fastest run, at the start, at
// each joint disc and at the finish, with a legend of ranks, names and times. No script; every
// name escaped.
class CSplitChart {
public:
    static constexpr std::size_t kRuns = 10; // the board's top ten
    static constexpr int kWidth = 720;       // SVG user units
    static constexpr int kHeight = 260;

    // ranked: the world's board, fastest first; the first kRuns are drawn. Empty for no runs.
    // A run whose splits are fewer than the fastest's is drawn at the discs both have and at
    // the finish.
    static std::string Svg(const std::vector<CBoardStore::SRankedRun>& ranked);
};
