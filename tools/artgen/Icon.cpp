#include "Icon.h"

#include "Shapes.h"

#include <cmath>

namespace {

const CVec2 kVanishingPoint{0.5, 0.56}; // where the tunnel's rings shrink to
constexpr int kRingCount = 6;
constexpr double kOuterRing = 0.38;  // radius of the nearest ring, in icon widths
constexpr double kRingShrink = 0.64; // each ring this much smaller than the one before

// Straight-alpha "top over under".
CColor Over(const CColor& top, const CColor& under) {
    const double alpha = top.a + under.a * (1.0 - top.a);
    if (alpha <= 0.0) {
        return {0, 0, 0, 0};
    }
    const double keep = under.a * (1.0 - top.a);
    return {(top.r * top.a + under.r * keep) / alpha, (top.g * top.a + under.g * keep) / alpha,
            (top.b * top.a + under.b * keep) / alpha, alpha};
}

// Deep blue, darker towards the corners, with the light at the tunnel's end glowing through.
CColor Backdrop(const CVec2& p) {
    const double fromCentre = (p - CVec2{0.5, 0.5}).Length();
    const CColor base = Mix(Hex(0x14204a), Hex(0x050814), SmoothStep(0.1, 0.7, fromCentre));
    const double glow = std::exp(-std::pow((p - kVanishingPoint).Length() / 0.09, 2.0));
    return Mix(base, Hex(0xfff4d0), glow);
}

// The tunnel: rings around the vanishing point, thinner and dimmer with distance, alternating
// the wall's orange with the course marks' teal.
CColor Rings(const CVec2& p, double pixel) {
    CColor colour(0, 0, 0, 0);
    const double distance = (p - kVanishingPoint).Length();
    double radius = kOuterRing;
    for (int ring = 0; ring < kRingCount; ++ring, radius *= kRingShrink) {
        const double halfWidth = std::max(0.012 * radius / kOuterRing * 2.0, pixel * 0.5);
        const double cover = Coverage(std::fabs(distance - radius) - halfWidth, pixel);
        const CColor tint = ring % 2 == 0 ? Hex(0xff8a2a) : Hex(0x3ce0d0);
        const double fade = 1.0 - 0.12 * ring;
        colour = Over(tint.Scaled(fade).WithAlpha(cover), colour);
    }
    return colour;
}

// The ship from behind: a silver delta with a notched tail and two blue engine glows.
CColor Ship(const CVec2& p, double pixel) {
    const CVec2 nose{0.5, 0.47};
    const CVec2 leftTip{0.22, 0.2};
    const CVec2 rightTip{0.78, 0.2};
    const CVec2 notch{0.5, 0.27};
    const double hull = std::max(DistanceToTriangle(p, nose, leftTip, rightTip),
                                 -DistanceToTriangle(p, leftTip, notch, rightTip));
    // Lit from above: the upper hull brighter, a dark rim around the edge.
    const double shade = SmoothStep(0.2, 0.47, p.y);
    CColor colour = Mix(Hex(0x6a7488), Hex(0xe8ecf4), shade);
    if (hull > -1.5 * pixel) {
        colour = Hex(0x1a1e2a);
    }
    CColor result = colour.WithAlpha(Coverage(hull, pixel));
    for (const double x : {0.42, 0.58}) {
        const double engine = (p - CVec2{x, 0.265}).Length();
        const double glow = std::exp(-std::pow(engine / 0.035, 2.0));
        result = Over(Hex(0x7ad8ff).WithAlpha(glow), result);
    }
    return result;
}

// Two laser bolts on their way into the tunnel, from the wing tips towards the light.
CColor Bolts(const CVec2& p, double pixel) {
    CColor colour(0, 0, 0, 0);
    for (const double side : {-1.0, 1.0}) {
        const CVec2 from{0.5 + side * 0.19, 0.35};
        const CVec2 to{0.5 + side * 0.09, 0.48};
        const double distance = DistanceToSegment(p, from, to);
        const double core = Coverage(distance - 0.008, pixel);
        const double halo = std::exp(-std::pow(distance / 0.03, 2.0)) * 0.6;
        colour = Over(Hex(0xffe0d0).WithAlpha(core), Over(Hex(0xff3a28).WithAlpha(halo), colour));
    }
    return colour;
}

} // namespace

CImage PaintIcon(int size) {
    CImage icon(size, size);
    const double pixel = 1.0 / size;
    icon.Paint([pixel](double u, double v) {
        const CVec2 p{u, v};
        CColor colour = Backdrop(p);
        colour = Over(Rings(p, pixel), colour);
        colour = Over(Bolts(p, pixel), colour);
        colour = Over(Ship(p, pixel), colour);
        const double square = DistanceToRoundedBox(p, {0.5, 0.5}, 0.47, 0.47, 0.12);
        return colour.WithAlpha(colour.a * Coverage(square, pixel));
    });
    return icon;
}
