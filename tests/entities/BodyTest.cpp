#include "entities/Body.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(Body, StartsAtNodeOneWithFullEnergy) {
    CBody body;
    EXPECT_EQ(body.GetNodeIndex(), 1);
    EXPECT_EQ(body.GetEnergy(), 100);
    EXPECT_EQ(body.GetPosition().x, 0.0f);
}

TEST(Body, NegativeNodeIndexReadsAsZero) {
    CBody body;
    body.SetNodeIndex(-4);
    EXPECT_EQ(body.GetNodeIndex(), 0);
    body.SetNodeIndex(7);
    EXPECT_EQ(body.GetNodeIndex(), 7);
}

TEST(Body, SideVectorPointsLeftAndIsUnitLength) {
    CBody body;
    body.SetDirection(0, 0, -1);
    body.SetUp(0, 1, 0);
    EXPECT_FLOAT_EQ(body.GetSide().x, -1.0f);
    EXPECT_FLOAT_EQ(body.GetSide().y, 0.0f);
    EXPECT_FLOAT_EQ(body.GetSide().z, 0.0f);

    // Not perpendicular, not unit: up x direction normalised.
    body.SetUp(CVector3(0, 2, 0));
    body.SetDirection(CVector3(3, 0, 0));
    EXPECT_FLOAT_EQ(body.GetSide().z, -1.0f);
    EXPECT_FLOAT_EQ(body.GetSide().x, 0.0f);
}

TEST(Body, SideVectorStaysDefinedBetweenTheTwoSetterCalls) {
    CBody body;
    body.SetDirection(0, 0, -1); // up is still zero here
    EXPECT_FALSE(std::isnan(body.GetSide().x));
    body.SetUp(0, 0, -1); // parallel to the direction
    EXPECT_FALSE(std::isnan(body.GetSide().x));
    body.SetUp(0, 1, 0);
    EXPECT_FLOAT_EQ(body.GetSide().x, -1.0f);
}

TEST(Body, OrientationMatrixHasRightUpForwardColumns) {
    CBody body;
    body.SetDirection(0, 0, -1);
    body.SetUp(0, 1, 0);
    float m[16];
    body.GetOrientationMatrix(m);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m[i], expected[i]) << "index " << i;
    }

    body.SetDirection(1, 0, 0);
    body.SetUp(0, 0, 1);
    body.GetOrientationMatrix(m);
    // Side = up x dir = (0, 1, 0), so the right column is (0, -1, 0).
    EXPECT_FLOAT_EQ(m[1], -1.0f);
    EXPECT_FLOAT_EQ(m[6], 1.0f);
    EXPECT_FLOAT_EQ(m[8], 1.0f);
}

TEST(Body, SavePreviousKeepsTheStateAtThatMoment) {
    CBody body;
    body.SetPosition(CVector3(1, 2, 3));
    body.SetNodeIndex(5);
    body.SavePrevious();
    body.SetPosition(CVector3(9, 9, 9));
    body.SetNodeIndex(6);
    EXPECT_EQ(body.GetPreviousPosition().y, 2.0f);
    EXPECT_EQ(body.GetPrevious().nodeIndex, 5);
    EXPECT_EQ(body.GetPosition().y, 9.0f);
}

} // namespace
