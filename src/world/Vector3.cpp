#include "world/Vector3.h"

#include <cmath>

CVector3 CVector3::Cross(const CVector3& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
}

void CVector3::DivideBy(float s) {
    // One reciprocal, three multiplies: the rounding the rest of the game expects.
    const float r = 1.0f / s;
    x *= r;
    y *= r;
    z *= r;
}

float CVector3::Length() const {
    return std::sqrt(x * x + y * y + z * z);
}

CVector3 CVector3::WithLength(float length) const {
    const float scale = length * (1.0f / Length());
    return Scaled(scale);
}
