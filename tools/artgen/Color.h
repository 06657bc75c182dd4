#pragma once

#include "Vec.h"

#include <algorithm>

// A colour with straight (not premultiplied) alpha; every channel 0 to 1.
struct CColor {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 0.0;

    CColor() = default;
    constexpr CColor(double r, double g, double b, double a = 1.0) : r(r), g(g), b(b), a(a) {}
    constexpr CColor(const CVec& rgb, double a = 1.0) : r(rgb.x), g(rgb.y), b(rgb.z), a(a) {}

    CVec Rgb() const { return {r, g, b}; }
    CColor WithAlpha(double alpha) const { return {r, g, b, alpha}; }
    CColor Scaled(double s) const { return {r * s, g * s, b * s, a}; } // brightness
};

inline double Clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// 0 below edge0, 1 above edge1, a smooth step between.
inline double SmoothStep(double edge0, double edge1, double v) {
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

inline CColor Mix(const CColor& a, const CColor& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

// A colour given as 0xRRGGBB.
constexpr CColor Hex(unsigned int rgb, double alpha = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}
