#pragma once

#include "Vec.h"

#include <cmath>

// An affine placement: a point p goes to origin + p.x * axisX + p.y * axisY + p.z * axisZ.
// Frames compose like matrices: (outer * inner).Apply(p) == outer.Apply(inner.Apply(p)).
struct CFrame {
    CVec origin{0, 0, 0};
    CVec axisX{1, 0, 0};
    CVec axisY{0, 1, 0};
    CVec axisZ{0, 0, 1};

    CVec Apply(const CVec& p) const { return origin + ApplyVector(p); }
    CVec ApplyVector(const CVec& v) const { return axisX * v.x + axisY * v.y + axisZ * v.z; }
    CFrame operator*(const CFrame& inner) const {
        return {Apply(inner.origin), ApplyVector(inner.axisX), ApplyVector(inner.axisY),
                ApplyVector(inner.axisZ)};
    }

    static CFrame Translate(const CVec& offset) {
        return {offset, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    }
    static CFrame Scale(double sx, double sy, double sz) {
        return {{0, 0, 0}, {sx, 0, 0}, {0, sy, 0}, {0, 0, sz}};
    }
    static CFrame RotateX(double degrees) {
        const double c = std::cos(degrees * M_PI / 180.0);
        const double s = std::sin(degrees * M_PI / 180.0);
        return {{0, 0, 0}, {1, 0, 0}, {0, c, s}, {0, -s, c}};
    }
    static CFrame RotateY(double degrees) {
        const double c = std::cos(degrees * M_PI / 180.0);
        const double s = std::sin(degrees * M_PI / 180.0);
        return {{0, 0, 0}, {c, 0, -s}, {0, 1, 0}, {s, 0, c}};
    }
    static CFrame RotateZ(double degrees) {
        const double c = std::cos(degrees * M_PI / 180.0);
        const double s = std::sin(degrees * M_PI / 180.0);
        return {{0, 0, 0}, {c, s, 0}, {-s, c, 0}, {0, 0, 1}};
    }
    // Local +y along direction (any length), placed at origin.
    static CFrame AlongY(const CVec& origin, const CVec& direction) {
        const CVec y = direction.Normalized();
        const CVec helper = std::fabs(y.y) < 0.9 ? CVec{0, 1, 0} : CVec{1, 0, 0};
        const CVec x = helper.Cross(y).Normalized();
        const CVec z = x.Cross(y);
        return {origin, x, y, z};
    }
};
