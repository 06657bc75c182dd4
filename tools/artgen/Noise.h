#pragma once

#include <cstdint>

// Smooth value noise on an integer lattice, optionally periodic, and sums of octaves of it.
// Values lie in [0, 1). A period of 0 means no wrap; a period of p lattice cells makes the noise
// repeat every p units, which is how textures tile.
class CNoise {
public:
    explicit CNoise(std::uint64_t seed) : seed(seed) {}

    double Value(double x, double y, int periodX = 0, int periodY = 0) const;
    // Octaves of Value, each twice the frequency and half the weight of the one before;
    // periods double with the frequency so the sum keeps tiling.
    double Fractal(double x, double y, int octaves, int periodX = 0, int periodY = 0) const;

private:
    double Lattice(std::int64_t x, std::int64_t y, int periodX, int periodY) const;

    std::uint64_t seed;
};
