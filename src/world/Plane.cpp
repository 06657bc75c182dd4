#include "world/Plane.h"

void CPlane::Set(const CVector3& point, const CVector3& planeNormal) {
    normal = planeNormal;
    d = -Dot(point);
}

float CPlane::Dot(const CVector3& v) const {
    return normal.x * v.x + normal.y * v.y + normal.z * v.z;
}
