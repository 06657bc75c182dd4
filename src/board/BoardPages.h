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
    static std::string World(const CBoardStore::SWorld& world,
                             const std::vector<CBoardStore::SRankedRun>& ranked, int page,
                             int pages);
    static std::string Day(const SDay& day, int page, int pages);
    static std::string NotFound(const std::string& what);

    static std::string Escape(const std::string& text);             // for text and attribute values
    static std::string WorldPath(const CBoardStore::SWorld& world); // "/worlds/3-512-17"
    static std::string
    WorldName(const CBoardStore::SWorld& world); // "difficulty 3, 512 nodes, seed 17"
};
