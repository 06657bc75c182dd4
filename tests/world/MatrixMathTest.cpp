#include "world/MatrixMath.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr float kHalfPi = 1.5707964f;

struct SPoint {
    float x, y, z;
};

SPoint Transform(SPoint p, const float* m) {
    MatTransformPoint(p.x, p.y, p.z, m);
    return p;
}

void ExpectPoint(SPoint actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

TEST(MatrixMath, ZeroRotationsLeaveTheMatrixUnchanged) {
    float m[16];
    MatIdentity(m);
    MatTranslate(4.0f, 5.0f, 6.0f, m);
    MatRotateX(0.3f, m);
    float before[16];
    std::copy(m, m + 16, before);
    MatRotateX(0.0f, m);
    MatRotateY(0.0f, m);
    MatRotateZ(0.0f, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m[i], before[i]) << "index " << i;
    }
}

TEST(MatrixMath, RotationsTurnForwardTheRightHandedWay) {
    float m[16];
    MatIdentity(m);
    MatRotateX(kHalfPi, m);
    ExpectPoint(Transform({0, 0, -10}, m), 0, 10, 0); // x turns forward toward +y

    MatIdentity(m);
    MatRotateY(kHalfPi, m);
    ExpectPoint(Transform({0, 0, -10}, m), -10, 0, 0); // y turns forward toward -x

    MatIdentity(m);
    MatRotateZ(kHalfPi, m);
    ExpectPoint(Transform({1, 0, 0}, m), 0, 1, 0); // z turns +x toward +y
}

TEST(MatrixMath, EachStepActsAfterTheStepsBeforeIt) {
    float m[16];
    MatIdentity(m);
    MatTranslate(1.0f, 2.0f, 3.0f, m);
    MatRotateZ(kHalfPi, m);
    // (1, 0, 0) is first moved to (2, 2, 3), then rotated about z.
    ExpectPoint(Transform({1, 0, 0}, m), -2, 2, 3);

    MatIdentity(m);
    MatRotateX(kHalfPi, m);
    MatRotateY(kHalfPi, m);
    MatTranslate(0.0f, 0.0f, -5.0f, m);
    // (0, 0, -1): x turns it to (0, 1, 0), y leaves that alone, then the move.
    ExpectPoint(Transform({0, 0, -1}, m), 0, 1, -5);
}

TEST(MatrixMath, MultiplyPutsTheLeftOperandFirstInTheRowSum) {
    float a[16];
    float m[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = static_cast<float>(i);
        m[i] = static_cast<float>(i % 3);
    }
    float expected[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            expected[4 * r + c] = 0.0f;
            for (int k = 0; k < 4; ++k) {
                expected[4 * r + c] += a[4 * r + k] * m[4 * k + c];
            }
        }
    }
    MatMultiply(a, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m[i], expected[i]) << "index " << i;
    }
}

TEST(MatrixMath, TransposeMovesTheTranslationToOpenGlColumnOrder) {
    float m[16];
    MatIdentity(m);
    MatTranslate(1.0f, 2.0f, 3.0f, m);
    EXPECT_FLOAT_EQ(m[3], 1.0f);
    EXPECT_FLOAT_EQ(m[7], 2.0f);
    EXPECT_FLOAT_EQ(m[11], 3.0f);

    float gl[16];
    MatTranspose(m, gl);
    EXPECT_FLOAT_EQ(gl[12], 1.0f);
    EXPECT_FLOAT_EQ(gl[13], 2.0f);
    EXPECT_FLOAT_EQ(gl[14], 3.0f);
    EXPECT_FLOAT_EQ(gl[3], 0.0f);
    EXPECT_FLOAT_EQ(m[3], 1.0f) << "the source stays as it was";

    float rotation[16];
    MatIdentity(rotation);
    MatRotateZ(kHalfPi, rotation);
    MatTranspose(rotation, gl);
    EXPECT_FLOAT_EQ(gl[1], rotation[4]);
    EXPECT_FLOAT_EQ(gl[4], rotation[1]);
}

TEST(MatrixMath, TransformPointIgnoresTheFourthRow) {
    float m[16];
    MatIdentity(m);
    m[15] = 2.0f;
    m[12] = 7.0f;
    ExpectPoint(Transform({1, 2, 3}, m), 1, 2, 3);
}

TEST(MatrixMath, DegToRadIsASinglePrecisionMultiply) {
    EXPECT_EQ(DegToRad(180.0f), 3.1415927f);
    EXPECT_EQ(DegToRad(90.0f), 90.0f * 0.017453292f);
}

} // namespace
