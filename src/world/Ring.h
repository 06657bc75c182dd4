#pragma once

#include "world/Vector3.h"

// One cross-section of the tunnel: a centre, rotations about x and y, the distance to the next
// ring, and 24 world-space rim points. Copied freely: the tunnel keeps its rings by value.
class CRing {
public:
    static constexpr int kPointCount = 24;
    // (cos, sin) at 15-degree steps rounded to three decimals: rim point j and the joint discs'
    // texture coordinates use row j.
    static const float kCircle[kPointCount][2];

    // angleX, angleY in radians; the ring sits at T(centre) . Ry(angleY) . Rx(angleX).
    CRing(const CVector3& centre, float angleX, float angleY, float length, float radius);

    const CVector3& GetPoint(int i) const { return points[Wrap(i)]; } // i modulo 24
    const CVector3& GetNormal(int i) const { return normals[Wrap(i)]; }
    // Rim points i and i + 1, both modulo 24.
    void GetPointPair(int i, CVector3& first, CVector3& second) const;
    const CVector3& GetFacing() const { return facing; } // unit; the joint disc's normal
    const CVector3& GetCentre() const { return centre; }
    float GetRadius() const { return radius; }
    float GetAngleX() const { return angleX; }
    float GetAngleY() const { return angleY; }
    float GetLength() const { return length; }              // distance to the next ring's centre

private:
    static int Wrap(int i) { return ((i % kPointCount) + kPointCount) % kPointCount; }

    CVector3 centre;
    float angleX;
    float angleY;
    float length;
    CVector3 points[kPointCount];
    // The wall lighting takes these as normals: they hold the rim positions themselves,
    // which is how the tunnel has always been lit.
    CVector3 normals[kPointCount];
    CVector3 facing;
    float radius;
    float transform[16];
};
