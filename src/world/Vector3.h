#pragma once

#include <cmath>

// Three 32-bit floats: positions, directions, normals and colours without alpha. Inline: the
// collision tests of a dense world call these tens of thousands of times a frame.
class CVector3 {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    CVector3() = default;
    CVector3(float x, float y, float z) : x(x), y(y), z(z) {}

    CVector3 Added(const CVector3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    CVector3 Subtract(const CVector3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    CVector3 Scaled(float s) const { return {x * s, y * s, z * s}; }
    CVector3 Negated() const { return {-x, -y, -z}; }
    float Dot(const CVector3& v) const { return x * v.x + y * v.y + z * v.z; }
    CVector3 Cross(const CVector3& v) const { // this x v
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    // In place; s must not be 0. One reciprocal, three multiplies: the rounding the rest of
    // the game expects.
    void DivideBy(float s) {
        const float r = 1.0f / s;
        x *= r;
        y *= r;
        z *= r;
    }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    CVector3 WithLength(float length) const { // undefined for a zero vector
        return Scaled(length * (1.0f / Length()));
    }
};
