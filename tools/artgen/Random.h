#pragma once

#include <cstdint>

// The generator's own random source: a fixed algorithm (SplitMix64) seeded by each painter, so
// the same source always gives the same bytes, whatever the C library's rand() does.
class CRandom {
public:
    explicit CRandom(std::uint64_t seed) : state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double low, double high) { return low + (high - low) * Uniform(); } // [low, high)
    int Below(int count) { return static_cast<int>(Next() % static_cast<std::uint64_t>(count)); }

private:
    std::uint64_t state;
};

// A stateless hash of integer coordinates to [0, 1), for noise lattices.
inline double HashToUnit(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    CRandom random(seed ^ (static_cast<std::uint64_t>(x) * 0x8CB92BA72F3D8DD7ull) ^
                   (static_cast<std::uint64_t>(y) * 0xD6E8FEB86659FD93ull));
    return random.Uniform();
}
