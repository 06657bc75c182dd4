#pragma once

// Three 32-bit floats: positions, directions, normals and colours without alpha.
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
    CVector3 Cross(const CVector3& v) const; // this x v
    void DivideBy(float s);                  // in place; s must not be 0
    float Length() const;
    CVector3 WithLength(float length) const; // undefined for a zero vector
};
