// Skins for the ship and the enemy craft, in the shared atlas of the mesh builder.
#include "Noise.h"
#include "Random.h"
#include "Shapes.h"
#include "Textures.h"

#include <cmath>

namespace {

constexpr int kSkinSize = 256;
constexpr int kCell = 64;
// Brightness per shade row, darkest first. Meshes are drawn unlit (the texture replaces the
// colour), so the light is baked: each face picks its row by how it faces a fixed key light.
constexpr double kShade[4] = {0.42, 0.62, 0.83, 1.04};
// Shadows lean blue, highlights warm: cheap but reads as light.
const CVec kShadowTint{0.86, 0.92, 1.12};
const CVec kLightTint{1.06, 1.02, 0.94};

CColor Shaded(const CColor& colour, int shadeRow) {
    const double t = shadeRow / 3.0;
    const CVec tint = Lerp(kShadowTint, kLightTint, t);
    return CColor(colour.Rgb().Times(tint) * kShade[shadeRow], 1.0);
}

// Hull pattern at (x, y) within a 64-texel cell, as a brightness factor around 1.
double HullPattern(const SSkinStyle& style, const CNoise& noise, double x, double y) {
    const double grain = 0.93 + 0.12 * noise.Fractal(x / 10.0, y / 10.0, 3);
    switch (style.pattern) {
    case ESkinPattern::kPlates: {
        const double px = std::fmod(x, 32.0);
        const double py = std::fmod(y, 32.0);
        const double edge = std::min(std::min(px, 32.0 - px), std::min(py, 32.0 - py));
        if (edge < 1.0) {
            return 0.45;
        }
        const double rivet = std::hypot(std::fmod(x + 4.0, 8.0) - 4.0, py - 4.0);
        if (rivet < 1.2 && py < 8.0) {
            return 1.25;
        }
        return grain * (edge < 2.5 ? 1.12 : 1.0);
    }
    case ESkinPattern::kHexes: {
        const double size = 9.0;
        const double qx = x / (size * 1.5);
        const double column = std::floor(qx);
        const double offset = (static_cast<int>(column) % 2 != 0) ? 0.5 : 0.0;
        const double qy = y / (size * 1.732) - offset;
        const double fx = std::fabs(qx - column - 0.5) * 1.5;
        const double fy = std::fabs(qy - std::floor(qy) - 0.5) * 1.732;
        const double edge = std::max(fx * 0.866 + fy * 0.5, fy);
        return grain * (edge > 0.78 ? 0.55 : 1.0 + 0.08 * HashToUnit(column, std::floor(qy), 5));
    }
    case ESkinPattern::kStripes:
        return grain * (std::fmod(x + y * 0.5, 16.0) < 5.0 ? 0.72 : 1.0);
    case ESkinPattern::kCamouflage: {
        const double blot = noise.Fractal(x / 18.0 + 50.0, y / 18.0, 3);
        return grain * (blot > 0.55 ? 0.68 : blot > 0.45 ? 0.84 : 1.0);
    }
    case ESkinPattern::kCarbon:
    default: {
        const bool weave = (static_cast<int>(x / 4.0) + static_cast<int>(y / 4.0)) % 2 == 0;
        const double along = std::fmod(weave ? x : y, 4.0) / 4.0;
        return 0.8 + 0.25 * std::sin(along * M_PI);
    }
    }
}

// Trim: darker plating in large panels with one small vent grille in the middle.
double TrimPattern(double x, double y) {
    const double px = std::fmod(x, 32.0);
    const double py = std::fmod(y, 32.0);
    if (std::min(std::min(px, 32.0 - px), std::min(py, 32.0 - py)) < 1.0) {
        return 0.6;
    }
    const bool inVent = x > 20.0 && x < 44.0 && y > 22.0 && y < 42.0;
    if (inVent && std::fmod(y, 5.0) < 2.0) {
        return 0.55;
    }
    return 1.0;
}

// Accent: diagonal bands of the accent colour over trim colour, the way warning paint goes.
CColor AccentTexel(const SSkinStyle& style, double x, double y) {
    const bool band = std::fmod(x + y + 64.0, 24.0) < 12.0;
    return band ? style.accent : Mix(style.trim, style.accent, 0.25);
}

// Glow: bright in the middle of the cell (where a face's middle lands), the same in every row
// since it shines by itself.
CColor GlowTexel(const SSkinStyle& style, double x, double y) {
    const double r = std::hypot(x - 32.0, y - 32.0) / 32.0;
    const double core = std::exp(-r * r * 1.6);
    return Mix(style.glow.Scaled(0.8), CColor(1, 1, 1), core * 0.55);
}

CColor SkinTexel(const SSkinStyle& style, const CNoise& noise, int x, int y) {
    const int column = x / kCell;
    const int row = y / kCell;
    const double cx = (x % kCell) + 0.5;
    const double cy = (y % kCell) + 0.5;
    switch (column) {
    case 0:
        return Shaded(style.hull.Scaled(HullPattern(style, noise, cx, cy)), row);
    case 1:
        return Shaded(style.trim.Scaled(TrimPattern(cx, cy)), row);
    case 2:
        return Shaded(AccentTexel(style, cx, cy), row);
    default:
        return GlowTexel(style, cx, cy);
    }
}

SSkinStyle Style(unsigned hull, unsigned trim, unsigned accent, unsigned glow, ESkinPattern pattern,
                 std::uint64_t seed) {
    return {Hex(hull), Hex(trim), Hex(accent), Hex(glow), pattern, seed};
}

} // namespace

CImage PaintSkin(const SSkinStyle& style) {
    const CNoise noise(style.seed);
    CImage image(kSkinSize, kSkinSize);
    for (int y = 0; y < kSkinSize; ++y) {
        for (int x = 0; x < kSkinSize; ++x) {
            image.Set(x, y, SkinTexel(style, noise, x, y));
        }
    }
    return image;
}

const SSkinStyle& GetPlayerSkinStyle() {
    static const SSkinStyle kStyle =
        Style(0xd8dde6, 0x3a4556, 0xff7a1a, 0x5ff7ff, ESkinPattern::kPlates, 1);
    return kStyle;
}

const SSkinStyle& GetSubmarineSkinStyle() {
    static const SSkinStyle kStyle =
        Style(0xe8c020, 0x4a4a4a, 0x202020, 0x7aff5a, ESkinPattern::kPlates, 2);
    return kStyle;
}

const SSkinStyle& GetEnemySkinStyle(int number) {
    using P = ESkinPattern;
    static const SSkinStyle kStyles[14] = {
        Style(0xb0202a, 0x26262a, 0xf0c020, 0xff4a20, P::kPlates, 11),
        Style(0x5a2f80, 0x1c1c28, 0xe040c0, 0xff5aff, P::kHexes, 12),
        Style(0x4f8030, 0x2a2a20, 0x1a1a1a, 0xb0ff30, P::kStripes, 13),
        Style(0x5d6674, 0x282c33, 0xd02020, 0xff2a2a, P::kPlates, 14),
        Style(0xd06a1a, 0x3a2a20, 0xf0f0f0, 0xffe040, P::kCamouflage, 15),
        Style(0x2e3038, 0x50535c, 0xc01818, 0xff3020, P::kCarbon, 16),
        Style(0x1f7475, 0x173030, 0xff8a20, 0xffa030, P::kHexes, 17),
        Style(0xcfc6b0, 0x5a4a3a, 0x8a1010, 0xff2020, P::kPlates, 18),
        Style(0x284478, 0x121a2c, 0x30d8ff, 0x40c0ff, P::kStripes, 19),
        Style(0x8a4a2a, 0x3a2a22, 0xf0c020, 0xff8a20, P::kCamouflage, 20),
        Style(0x7a1a4a, 0x22141c, 0xff70b0, 0xff60c0, P::kCarbon, 21),
        Style(0x6e6e3c, 0x2e2e1e, 0xd02828, 0xff3a2a, P::kPlates, 22),
        Style(0xa8b0b8, 0x404850, 0x8030c0, 0xb060ff, P::kHexes, 23),
        Style(0xb08a2a, 0x3a2e18, 0x181818, 0xfff0a0, P::kStripes, 24),
    };
    return kStyles[(number - 1) % 14];
}
