#include "entities/Body.h"

#include <cmath>

void CBody::SetDirection(const CVector3& d) {
    direction = d;
    UpdateSide();
}

void CBody::SetUp(const CVector3& u) {
    up = u;
    UpdateSide();
}

void CBody::UpdateSide() {
    const CVector3 s(up.y * direction.z - up.z * direction.y,
                     up.z * direction.x - up.x * direction.z,
                     up.x * direction.y - up.y * direction.x);
    const float lengthSquared = s.x * s.x + s.y * s.y + s.z * s.z;
    // Owners set direction and up one after the other; in between the two may be parallel or
    // zero. Keep the last side vector then rather than a NaN.
    if (lengthSquared == 0.0f) {
        return;
    }
    side = s.Scaled(1.0f / std::sqrt(lengthSquared));
}

void CBody::SavePrevious() {
    previous = {position, direction, up, nodeIndex};
}

void CBody::GetOrientationMatrix(float* m) const {
    const CVector3 right = side.Negated();
    const float columns[16] = {right.x,     right.y,     right.z,     0.0f, //
                               up.x,        up.y,        up.z,        0.0f, //
                               direction.x, direction.y, direction.z, 0.0f, //
                               0.0f,        0.0f,        0.0f,        1.0f};
    for (int i = 0; i < 16; ++i) {
        m[i] = columns[i];
    }
}
