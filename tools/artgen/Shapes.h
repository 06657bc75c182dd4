#pragma once

#include "Color.h"
#include "Vec2.h"

#include <cmath>

// 2-D distance helpers for painting crisp, anti-aliased shapes: each gives the distance from a
// point to a shape (negative inside for the filled ones), and Coverage turns a distance into how
// much of a pixel the shape covers.
}
CVec2 operator-(const CVec2& v) const {
    return {x - v.x, y - v.y};
}
CVec2 operator*(double s) const {
    return {x * s, y * s};
}
double Dot(const CVec2& v) const {
    return x * v.x + y * v.y;
}
double Length() const {
    return std::sqrt(Dot(*this));
}
}
;

inline double DistanceToSegment(const CVec2& p, const CVec2& a, const CVec2& b) {
    const CVec2 ab = b - a;
    const double lengthSquared = ab.Dot(ab);
    const double t = lengthSquared > 0.0 ? Clamp01((p - a).Dot(ab) / lengthSquared) : 0.0;
    return (p - (a + ab * t)).Length();
}

// A box of half extents (hx, hy) around centre with corners rounded by radius.
inline double DistanceToRoundedBox(const CVec2& p, const CVec2& centre, double hx, double hy,
                                   double radius) {
    const double qx = std::fabs(p.x - centre.x) - hx + radius;
    const double qy = std::fabs(p.y - centre.y) - hy + radius;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// A triangle a, b, c (any winding).
inline double DistanceToTriangle(const CVec2& p, const CVec2& a, const CVec2& b, const CVec2& c) {
    const double edge = std::min(
        {DistanceToSegment(p, a, b), DistanceToSegment(p, b, c), DistanceToSegment(p, c, a)});
    auto side = [&](const CVec2& from, const CVec2& to) {
        return (to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x);
    };
    const double s1 = side(a, b);
    const double s2 = side(b, c);
    const double s3 = side(c, a);
    const bool inside = (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
    return inside ? -edge : edge;
}

// 1 well inside (distance below 0), 0 outside, a ramp one pixel wide at the edge.
inline double Coverage(double distance, double pixelSize) {
    return Clamp01(0.5 - distance / pixelSize);
}
