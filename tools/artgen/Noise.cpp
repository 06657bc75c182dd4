#include "Noise.h"

#include "Random.h"

#include <cmath>

namespace {

double Smooth(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

std::int64_t Wrap(std::int64_t value, int period) {
    if (period <= 0) {
        return value;
    }
    const std::int64_t wrapped = value % period;
    return wrapped < 0 ? wrapped + period : wrapped;
}

} // namespace

double CNoise::Lattice(std::int64_t x, std::int64_t y, int periodX, int periodY) const {
    return HashToUnit(Wrap(x, periodX), Wrap(y, periodY), seed);
}

double CNoise::Value(double x, double y, int periodX, int periodY) const {
    const double cellX = std::floor(x);
    const double cellY = std::floor(y);
    const auto ix = static_cast<std::int64_t>(cellX);
    const auto iy = static_cast<std::int64_t>(cellY);
    const double fx = Smooth(x - cellX);
    const double fy = Smooth(y - cellY);
    const double bottom =
        Lattice(ix, iy, periodX, periodY) * (1.0 - fx) + Lattice(ix + 1, iy, periodX, periodY) * fx;
    const double top = Lattice(ix, iy + 1, periodX, periodY) * (1.0 - fx) +
                       Lattice(ix + 1, iy + 1, periodX, periodY) * fx;
    return bottom * (1.0 - fy) + top * fy;
}

double CNoise::Fractal(double x, double y, int octaves, int periodX, int periodY) const {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        // Whole-cell offsets decorrelate the octaves without breaking the period.
        sum += weight * Value(x + 37.0 * octave, y + 11.0 * octave, periodX, periodY);
        total += weight;
        x *= 2.0;
        y *= 2.0;
        periodX *= 2;
        periodY *= 2;
        weight *= 0.5;
    }
    return sum / total;
}
