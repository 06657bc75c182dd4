// Sprite sheets for explosions and smoke, the vapour puff and the laser bolts.
#include "Noise.h"
#include "Random.h"
#include "Shapes.h"
#include "Textures.h"

#include <cmath>
#include <functional>

namespace {

// Paints one frame of a sheet: p is the point in the cell from -1 to 1 on both axes (y up),
// progress runs from 0 (first frame) to 1 (last frame).
using FramePainter = std::function<CColor(int frame, double progress, double px, double py)>;

// Frames go left to right, rows from the top of the picture (highest v) downward: the order in
// which the particles step through their cells. Cell borders stay transparent so neither
// nearest sampling nor mipmaps pull in a neighbour.
CImage PaintSheet(int size, int cells, const FramePainter& paint) {
    CImage image(size, size);
    const int frames = cells * cells;
    for (int frame = 0; frame < frames; ++frame) {
        const int column = frame % cells;
        const int rowFromTop = frame / cells;
        const int row = cells - 1 - rowFromTop;
        const int x0 = column * size / cells;
        const int x1 = (column + 1) * size / cells;
        const int y0 = row * size / cells;
        const int y1 = (row + 1) * size / cells;
        const double progress = frame / static_cast<double>(frames - 1);
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const double px = ((x + 0.5 - x0) / (x1 - x0)) * 2.0 - 1.0;
                const double py = ((y + 0.5 - y0) / (y1 - y0)) * 2.0 - 1.0;
                CColor texel = paint(frame, progress, px, py);
                const double border =
                    std::min(std::min(x - x0, x1 - 1 - x), std::min(y - y0, y1 - 1 - y));
                if (border < 2) {
                    texel.a = 0.0;
                }
                image.Set(x, y, texel);
            }
        }
    }
    return image;
}

// Black body colours from embers to white heat; heat 0 to 1.
CColor FireRamp(double heat) {
    static const CColor kStops[] = {Hex(0x2a2420), Hex(0x6e1a0c), Hex(0xc8320a),
                                    Hex(0xff7a14), Hex(0xffc848), Hex(0xfff6d8)};
    const double scaled = Clamp01(heat) * 5.0;
    const int index = std::min(static_cast<int>(scaled), 4);
    return Mix(kStops[index], kStops[index + 1], scaled - index);
}

CColor PlasmaRamp(double heat) {
    static const CColor kStops[] = {Hex(0x141830), Hex(0x2a2a8a), Hex(0x3c64ff), Hex(0x50c8ff),
                                    Hex(0xe8fcff)};
    const double scaled = Clamp01(heat) * 4.0;
    const int index = std::min(static_cast<int>(scaled), 3);
    return Mix(kStops[index], kStops[index + 1], scaled - index);
}

// Fades the whole frame out over the second half of the animation; nothing at the end.
double LateFade(double progress) {
    return std::pow(Clamp01((1.0 - progress) / 0.55), 1.3);
}

// A billowing ball: density from a radial falloff broken up by noise that churns over time.
double BallDensity(const CNoise& noise, double px, double py, double radius, double progress) {
    const double r = std::hypot(px, py) / radius;
    const double churn = progress * 2.5;
    const double billow = noise.Fractal(px * 2.2 + 10.0 + churn, py * 2.2 + 20.0 - churn * 0.6, 5);
    return (1.0 - r * r) + (billow - 0.5) * 1.3;
}

CColor FireballTexel(const CNoise& noise, const std::function<CColor(double)>& ramp,
                     double progress, double px, double py) {
    const double grow = 1.0 - (1.0 - progress) * (1.0 - progress);
    const double radius = 0.32 + 0.5 * grow;
    const double density = BallDensity(noise, px, py, radius, progress);
    const double alpha = SmoothStep(0.0, 0.35, density) * LateFade(progress);
    if (alpha < 0.02) {
        return {0, 0, 0, 0};
    }
    const double heat = density * 1.05 * std::pow(1.0 - progress, 1.1) + 0.08;
    return ramp(heat).WithAlpha(alpha);
}

CColor SmokeTexel(const CNoise& noise, double progress, double px, double py) {
    const double radius = 0.4 + 0.45 * progress;
    const double density = BallDensity(noise, px, py, radius, progress * 0.6);
    const double fade = std::pow(Clamp01((1.0 - progress) / 0.7), 1.2);
    const double alpha = SmoothStep(0.0, 0.3, density) * 0.92 * fade;
    if (alpha < 0.02) {
        return {0, 0, 0, 0};
    }
    // Sooty at first, paler as it spreads; lit a little from above.
    const double light = 0.16 + 0.22 * progress + 0.22 * Clamp01(py * 0.5 + density * 0.5);
    return CColor(light, light * 0.98, light * 0.95, alpha);
}

// Sparks flying out in a ring, cooling from white to a colour, with short trails.
CColor FireworkTexel(double progress, double px, double py) {
    const double reach = 0.15 + 0.7 * (1.0 - (1.0 - progress) * (1.0 - progress));
    const double fade = LateFade(progress);
    double brightness = 0.0;
    CRandom random(99);
    for (int spark = 0; spark < 24; ++spark) {
        const double angle = spark / 24.0 * 2.0 * M_PI + random.Range(-0.1, 0.1);
        const double distance = reach * random.Range(0.75, 1.0);
        const CVec2 head{std::cos(angle) * distance, std::sin(angle) * distance};
        const CVec2 tail = head * 0.7;
        const double d = DistanceToSegment({px, py}, tail, head);
        brightness = std::max(brightness, std::exp(-d * d / 0.0012));
    }
    const double alpha = Clamp01(brightness * 1.2) * fade;
    if (alpha < 0.02) {
        return {0, 0, 0, 0};
    }
    return Mix(Hex(0xff5ac8), Hex(0xfffff0), Clamp01(brightness - progress)).WithAlpha(alpha);
}

} // namespace

CImage PaintExplosionSheet() {
    const CNoise noise(0xF1BE);
    return PaintSheet(512, 4, [&](int, double progress, double px, double py) {
        return FireballTexel(noise, FireRamp, progress, px, py);
    });
}

CImage PaintPlasmaSheet() {
    const CNoise noise(0x91A5);
    return PaintSheet(256, 4, [&](int, double progress, double px, double py) {
        return FireballTexel(noise, PlasmaRamp, progress, px, py);
    });
}

CImage PaintFireworkSheet() {
    return PaintSheet(256, 4, [](int, double progress, double px, double py) {
        return FireworkTexel(progress, px, py);
    });
}

CImage PaintSmokeSheet() {
    const CNoise noise(0x5A0C);
    return PaintSheet(512, 3, [&](int, double progress, double px, double py) {
        return SmokeTexel(noise, progress, px, py);
    });
}

CImage PaintVapourPuff() {
    CImage image(64, 64);
    image.Paint([](double u, double v) {
        const double r = std::hypot(u - 0.5, v - 0.5) * 2.0;
        const double alpha = r < 0.95 ? std::exp(-r * r * 3.0) * SmoothStep(0.95, 0.7, r) : 0.0;
        return CColor(1, 1, 1, alpha);
    });
    return image;
}

CImage PaintBolt(const CColor& glow) {
    CImage image(64, 256);
    image.Paint([&](double u, double v) {
        const double along = std::fabs(v - 0.5) * 2.0; // 0 middle, 1 at the tips
        const double width = std::sqrt(Clamp01(1.0 - along * along * along));
        const double across = std::fabs(u - 0.5) * 2.0 / std::max(width, 0.05);
        const double core = std::exp(-std::pow(across / 0.22, 2.0));
        const double halo = std::exp(-std::pow(across / 0.42, 2.0)) * SmoothStep(1.0, 0.6, across);
        const double alpha = Clamp01(core + halo * 0.8) * SmoothStep(1.0, 0.85, along);
        if (alpha < 0.02) {
            return CColor(0, 0, 0, 0);
        }
        return Mix(glow, CColor(1, 1, 1), Clamp01(core * 1.3)).WithAlpha(alpha);
    });
    return image;
}
