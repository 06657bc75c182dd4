// The head-up display: bar strip, turn-indicator cells and the two message-box looks.
#include "Shapes.h"
#include "Textures.h"

#include <cmath>

namespace {

constexpr int kHudSize = 256;
constexpr int kBarStripY0 = 64;  // v 0.25
constexpr int kBarStripY1 = 128; // v 0.5
constexpr int kCell = 64;        // turn cells, 4 x 2 from v 0.5

const CColor kClear(0, 0, 0, 0);

// Energy: from green at the full end (u 0) through yellow to red at the empty end (u 0.5), in
// blocks; the bar grows leftward from u 0.5 so the red end is always in view.
CColor EnergyTexel(double x, double y) {
    const double t = x / 128.0;
    const CColor colour = t < 0.5 ? Mix(Hex(0x3cff6e), Hex(0xffe040), t * 2.0)
                                  : Mix(Hex(0xffe040), Hex(0xff3030), (t - 0.5) * 2.0);
    if (y >= 66 && y < 68) {
        return colour.Scaled(0.6).WithAlpha(0.8); // base line
    }
    const double inBlock = std::fmod(x, 8.0);
    if (y >= 71 && y < 122 && inBlock >= 1.0 && inBlock < 7.0) {
        const double light = 0.75 + 0.35 * ((y - 71) / 51.0);
        return colour.Scaled(light).WithAlpha(1.0);
    }
    return kClear;
}

// Speed: chevrons pointing outward (right), cool blue when slow, white-hot at full speed.
CColor SpeedTexel(double x, double y) {
    const double local = x - 128.0;
    const double t = local / 128.0;
    const CColor colour = t < 0.6 ? Mix(Hex(0x3cd8ff), Hex(0xb45aff), t / 0.6)
                                  : Mix(Hex(0xb45aff), Hex(0xfff0ff), (t - 0.6) / 0.4);
    if (y >= 66 && y < 68) {
        return colour.Scaled(0.6).WithAlpha(0.8);
    }
    if (y < 71 || y >= 122) {
        return kClear;
    }
    const double across = std::fabs((y - 96.5) / 25.5); // 0 middle, 1 top and bottom
    const double stroke = std::fmod(local + 8.0 - 4.0 * (1.0 - across), 8.0);
    if (stroke < 4.0) {
        return colour.Scaled(0.8 + 0.3 * (1.0 - across)).WithAlpha(1.0);
    }
    return kClear;
}

CColor LevelColour(int magnitude) {
    static const CColor kColours[] = {Hex(0x3cff6e), Hex(0xffe040), Hex(0xff9020), Hex(0xff3030)};
    return kColours[magnitude];
}

// One turn-indicator cell: a ring, the ship as a small delta in the middle, and for a turn an
// arc swept from the top toward the turn side with an arrowhead, longer and hotter per level.
CColor TurnTexel(int level, const CVec2& p, double pixel) {
    const int magnitude = std::abs(level);
    const double side = level < 0 ? -1.0 : 1.0;
    const CColor colour = LevelColour(magnitude);
    CColor texel = kClear;
    const double r = p.Length();
    const double ring = std::fabs(r - 0.78) - 0.035;
    texel = Mix(texel, colour.WithAlpha(0.55), Coverage(ring, pixel));
    if (magnitude == 0) {
        for (double x : {-0.62, 0.62}) { // level wings: steady flight
            const double bar = DistanceToRoundedBox(p, {x, 0.0}, 0.16, 0.05, 0.04);
            texel = Mix(texel, colour.WithAlpha(1.0), Coverage(bar, pixel));
        }
    } else {
        const double sweep = magnitude * 0.7; // radians from the top
        const double angle = std::atan2(p.x * side, p.y);
        if (angle >= 0.0 && angle <= sweep) {
            const double band = std::fabs(r - 0.78) - 0.085;
            texel = Mix(texel, colour.WithAlpha(1.0), Coverage(band, pixel));
        }
        const double tip = sweep + 0.38;
        const CVec2 inner{side * std::sin(sweep) * 0.56, std::cos(sweep) * 0.56};
        const CVec2 outer{side * std::sin(sweep) * 1.0, std::cos(sweep) * 1.0};
        const CVec2 point{side * std::sin(tip) * 0.78, std::cos(tip) * 0.78};
        const double head = DistanceToTriangle(p, inner, outer, point);
        texel = Mix(texel, colour.WithAlpha(1.0), Coverage(head, pixel));
    }
    const double ship = DistanceToTriangle(p, {0.0, 0.32}, {-0.24, -0.22}, {0.24, -0.22});
    texel = Mix(texel, Hex(0xf0f4ff, 1.0), Coverage(ship, pixel));
    return texel;
}

CColor HudTexel(int x, int y) {
    const double cx = x + 0.5;
    const double cy = y + 0.5;
    if (y < kBarStripY0) {
        return kClear; // unused quarter
    }
    if (y < kBarStripY1) {
        return x < 128 ? EnergyTexel(cx, cy) : SpeedTexel(cx, cy);
    }
    const int column = x / kCell;
    const int row = (y - kBarStripY1) / kCell; // 0: levels 0 to 3, 1: levels -1 to -3
    if (row == 1 && column == 0) {
        return kClear; // there is no level -0
    }
    const double half = kCell * 0.5;
    const CVec2 p{(cx - column * kCell - half) / (half - 2.0),
                  (cy - kBarStripY1 - row * kCell - half) / (half - 2.0)};
    return TurnTexel(row == 0 ? column : -column, p, 1.0 / (half - 2.0));
}

// One message-box look in a 256 x 128 half: a bevelled translucent panel, an emblem on the left
// and a darker well where the text goes (it starts 110 px from the left, 55 px up).
struct SBoxStyle {
    CColor frame;
    CColor panel;
    bool warning; // a warning triangle rather than an info disc
};

CColor EmblemTexel(const SBoxStyle& style, const CVec2& p) {
    const CVec2 centre{56.0, 62.0};
    CColor texel = kClear;
    if (style.warning) {
        const double triangle = DistanceToTriangle(
            p, centre + CVec2{0, 40}, centre + CVec2{-44, -34}, centre + CVec2{44, -34});
        texel = Mix(texel, style.frame, Coverage(triangle + 6.0, 1.0));
        texel = Mix(texel, Hex(0x1a1008), Coverage(triangle + 12.0, 1.0));
        const double bar = DistanceToRoundedBox(p, centre + CVec2{0, 6}, 5, 17, 4);
        const double dot = (p - (centre + CVec2{0, -20})).Length() - 6.0;
        texel = Mix(texel, style.frame, Coverage(std::min(bar, dot), 1.0));
    } else {
        const double disc = (p - centre).Length() - 40.0;
        texel = Mix(texel, style.frame, Coverage(disc, 1.0));
        texel = Mix(texel, Hex(0x06121c), Coverage(disc + 6.0, 1.0));
        const double stem = DistanceToRoundedBox(p, centre + CVec2{0, -8}, 5, 17, 3);
        const double dot = (p - (centre + CVec2{0, 22})).Length() - 6.5;
        texel = Mix(texel, style.frame, Coverage(std::min(stem, dot), 1.0));
    }
    return texel;
}

CColor BoxTexel(const SBoxStyle& style, double x, double y) {
    const CVec2 p{x, y};
    const double outline = DistanceToRoundedBox(p, {128.0, 64.0}, 125.0, 61.0, 16.0);
    if (outline > 0.5) {
        return kClear;
    }
    const double depth = -outline;
    CColor texel = style.panel;
    texel = Mix(texel, style.panel.Scaled(1.6), Clamp01((y - 64.0) / 64.0) * 0.5); // sheen
    if (depth < 4.0) {
        texel = style.frame.Scaled(depth < 2.0 ? 1.0 : 0.7);
    }
    // Corner brackets and a row of small lights along the top.
    if (y > 108.0 && y < 112.0 && x > 120.0 && x < 236.0 && std::fmod(x - 120.0, 12.0) < 7.0) {
        texel = style.frame.Scaled(0.8);
    }
    const double well = DistanceToRoundedBox(p, {177.0, 60.0}, 71.0, 20.0, 6.0);
    if (well < 0.0) {
        texel = Mix(texel, Hex(0x000000, 0.92), Coverage(well + 1.0, 1.0));
    }
    if (std::fabs(well) < 1.0) {
        texel = style.frame.Scaled(0.6).WithAlpha(1.0);
    }
    const CColor emblem = EmblemTexel(style, p);
    texel = Mix(texel, emblem.WithAlpha(1.0), emblem.a);
    texel.a *= Coverage(outline, 1.0);
    return texel;
}

} // namespace

CImage PaintHud() {
    CImage image(kHudSize, kHudSize);
    for (int y = 0; y < kHudSize; ++y) {
        for (int x = 0; x < kHudSize; ++x) {
            image.Set(x, y, HudTexel(x, y));
        }
    }
    return image;
}

CImage PaintMessageBox() {
    const SBoxStyle info{Hex(0x56e6ff), Hex(0x0c2a40, 0.9), false}; // style 0: upper half
    const SBoxStyle alert{Hex(0xffa02a), Hex(0x3c1608, 0.9), true}; // style 1: lower half
    CImage image(256, 256);
    for (int y = 0; y < 256; ++y) {
        const SBoxStyle& style = y >= 128 ? info : alert;
        const double localY = (y % 128) + 0.5;
        for (int x = 0; x < 256; ++x) {
            image.Set(x, y, BoxTexel(style, x + 0.5, localY));
        }
    }
    return image;
}
