#include "world/Plane.h"
#include "world/Vector3.h"

#include <gtest/gtest.h>

namespace {

TEST(Vector3, CrossFollowsTheRightHandRule) {
    const CVector3 z = CVector3(1, 0, 0).Cross(CVector3(0, 1, 0));
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);

    const CVector3 c = CVector3(1, 2, 3).Cross(CVector3(4, 5, 6));
    EXPECT_EQ(c.x, -3.0f);
    EXPECT_EQ(c.y, 6.0f);
    EXPECT_EQ(c.z, -3.0f);
}

TEST(Vector3, ArithmeticAndLength) {
    const CVector3 v(3, -4, 12);
    EXPECT_FLOAT_EQ(v.Length(), 13.0f);
    const CVector3 d = v.Subtract(CVector3(1, 1, 1));
    EXPECT_EQ(d.x, 2.0f);
    EXPECT_EQ(d.y, -5.0f);
    EXPECT_EQ(d.z, 11.0f);
    const CVector3 n = v.Negated().Scaled(2.0f);
    EXPECT_EQ(n.x, -6.0f);
    EXPECT_EQ(n.z, -24.0f);

    const CVector3 unit = v.WithLength(1.0f);
    EXPECT_NEAR(unit.Length(), 1.0f, 1e-6f);
    EXPECT_NEAR(unit.y, -4.0f / 13.0f, 1e-6f);

    CVector3 halved(2, 4, 6);
    halved.DivideBy(2.0f);
    EXPECT_EQ(halved.x, 1.0f);
    EXPECT_EQ(halved.z, 3.0f);
}

TEST(Plane, SignedDistanceIsPositiveAlongTheNormal) {
    CPlane plane;
    plane.Set(CVector3(0, 0, -10), CVector3(0, 0, -1));
    EXPECT_EQ(plane.d, -10.0f);
    EXPECT_EQ(plane.Dot(CVector3(0, 0, -15)) + plane.d, 5.0f);
    EXPECT_EQ(plane.Dot(CVector3(0, 0, 0)) + plane.d, -10.0f);
    EXPECT_EQ(plane.Dot(CVector3(0, 0, -10)) + plane.d, 0.0f);
}

TEST(Plane, KeepsTheNormalAsGiven) {
    CPlane plane;
    plane.Set(CVector3(1, 0, 0), CVector3(2, 0, 0));
    EXPECT_EQ(plane.normal.x, 2.0f);
    EXPECT_EQ(plane.d, -2.0f);
    EXPECT_EQ(plane.Dot(CVector3(3, 7, 7)) + plane.d, 4.0f); // twice the true distance
}

} // namespace
