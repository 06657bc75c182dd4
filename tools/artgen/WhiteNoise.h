#pragma once

#include "Random.h"

// White noise from -1 to 1.
class CWhiteNoise {
public:
    explicit CWhiteNoise(std::uint64_t seed) : random(seed) {}
    double Next() { return random.Uniform() * 2.0 - 1.0; }

private:
    CRandom random;
};
