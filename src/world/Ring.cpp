#include "world/Ring.h"

#include "world/MatrixMath.h"

const float CRing::kCircle[kPointCount][2] = {
    {1.0f, 0.0f},     {0.966f, 0.259f},   {0.866f, 0.5f},   {0.707f, 0.707f},
    {0.5f, 0.866f},   {0.259f, 0.966f},   {0.0f, 1.0f},     {-0.259f, 0.966f},
    {-0.5f, 0.866f},  {-0.707f, 0.707f},  {-0.866f, 0.5f},  {-0.966f, 0.259f},
    {-1.0f, 0.0f},    {-0.966f, -0.259f}, {-0.866f, -0.5f}, {-0.707f, -0.707f},
    {-0.5f, -0.866f}, {-0.259f, -0.966f}, {0.0f, -1.0f},    {0.259f, -0.966f},
    {0.5f, -0.866f},  {0.707f, -0.707f},  {0.866f, -0.5f},  {0.966f, -0.259f},
};

CRing::CRing(const CVector3& centre, float angleX, float angleY, float length, float radius)
    : centre(centre), angleX(angleX), angleY(angleY), length(length), radius(radius) {
    MatIdentity(transform);
    MatRotateX(angleX, transform);
    MatRotateY(angleY, transform);
    MatTranslate(centre.x, centre.y, centre.z, transform);

    for (int j = 0; j < kPointCount; ++j) {
        CVector3 p(radius * kCircle[j][0], radius * kCircle[j][1], 0.0f);
        MatTransformPoint(p.x, p.y, p.z, transform);
        points[j] = p;
        normals[j] = p;
    }
    // (0, 0, 1) with the translation included, then normalised.
    CVector3 f(0.0f, 0.0f, 1.0f);
    MatTransformPoint(f.x, f.y, f.z, transform);
    f.DivideBy(f.Length());
    facing = f;
}

void CRing::GetPointPair(int i, CVector3& first, CVector3& second) const {
    first = GetPoint(i);
    second = GetPoint(i + 1);
}
