#pragma once

#include "world/Vector3.h"

// A plane as normal and offset: the signed distance of X is Dot(X) + d, positive on the side the
// normal points to. The normal is kept as given, not normalised.
class CPlane {
public:
    CVector3 normal;
    float d = 0.0f;

    void Set(const CVector3& point, const CVector3& planeNormal); // d = -(normal . point)
    float Dot(const CVector3& v) const;                           // normal . v, without d
};
