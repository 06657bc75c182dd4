#pragma once

#include "world/Tunnel.h"

#include <string>

// Which world a run was flown in, as the game, the records, the replays and the world of the
// day name it, and the limits of what the game's files hold. The tunnel is built ring by ring
// and bend by bend until it reaches the length asked, so two lengths that build the same path
// node count from one seed and difficulty build one world: the records and the best replays
// key a world by its difficulty, node count and seed.
struct CWorldIdentity {
    static constexpr int kMaximumDifficulty = CTunnel::kMaximumBendDifficulty;
    static constexpr int kMaximumLength = CTunnel::kMaximumLength;
    static constexpr int kMaximumNodes = CTunnel::kMaximumRingCount;
    static constexpr unsigned kMaximumSeed = CTunnel::kMaximumSeed;

    int difficulty = 0;
    int length = 0; // path nodes asked for
    int nodes = 0;  // path nodes built; 0 while not known (no tunnel yet, an older replay)
    unsigned seed = 0;

    // One world: the same difficulty, node count and seed, whatever length was asked.
    bool IsSameWorld(const CWorldIdentity& other) const {
        return difficulty == other.difficulty && nodes == other.nodes && seed == other.seed;
    }
    bool operator==(const CWorldIdentity& other) const {
        return IsSameWorld(other) && length == other.length;
    }
    bool operator!=(const CWorldIdentity& other) const { return !(*this == other); }

    // Whether a replay can hold the world: false with the field that cannot, and its range.
    bool CheckLimits(std::string& problem) const {
        if (difficulty < 0 || difficulty > kMaximumDifficulty) {
            problem = "difficulty " + std::to_string(difficulty) + Range(0, kMaximumDifficulty);
        } else if (length < 1 || length > kMaximumLength) {
            problem = "length " + std::to_string(length) + Range(1, kMaximumLength);
        } else if (nodes < 0 || nodes > kMaximumNodes) {
            problem = "node count " + std::to_string(nodes) + Range(0, kMaximumNodes);
        } else if (seed > kMaximumSeed) {
            problem = "seed " + std::to_string(seed) + Range(0, kMaximumSeed);
        } else {
            return true;
        }
        return false;
    }

    static std::string Range(long long low, long long high) {
        return " out of range " + std::to_string(low) + " to " + std::to_string(high);
    }
};
