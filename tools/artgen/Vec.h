#pragma once

#include <cmath>

// A double-precision 3-D vector for the generator's geometry and colours (x, y, z = r, g, b).
struct CVec {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    CVec() = default;
    constexpr CVec(double x, double y, double z) : x(x), y(y), z(z) {}

    CVec operator+(const CVec& v) const { return {x + v.x, y + v.y, z + v.z}; }
    CVec operator-(const CVec& v) const { return {x - v.x, y - v.y, z - v.z}; }
    CVec operator*(double s) const { return {x * s, y * s, z * s}; }
    CVec operator/(double s) const { return {x / s, y / s, z / s}; }
    CVec operator-() const { return {-x, -y, -z}; }
    CVec& operator+=(const CVec& v) { return *this = *this + v; }
    bool operator==(const CVec& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator<(const CVec& v) const { // any strict order, for maps
        return x != v.x ? x < v.x : y != v.y ? y < v.y : z < v.z;
    }

    CVec Times(const CVec& v) const { return {x * v.x, y * v.y, z * v.z}; } // per component
    double Dot(const CVec& v) const { return x * v.x + y * v.y + z * v.z; }
    CVec Cross(const CVec& v) const {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    double Length() const { return std::sqrt(Dot(*this)); }
    CVec Normalized() const { // the zero vector stays zero
        const double length = Length();
        return length > 0.0 ? *this / length : *this;
    }
};

inline CVec Lerp(const CVec& a, const CVec& b, double t) {
    return a + (b - a) * t;
}
