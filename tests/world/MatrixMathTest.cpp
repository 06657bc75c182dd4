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

// a holds 0 to 15 row by row, m the repeating 0, 1, 2: m's rows are (0 1 2 0), (1 2 0 1),
// (2 0 1 2), (0 1 2 0). Row r of a x m is a's row r weighting m's rows: row 0 is
// 1 x (1 2 0 1) + 2 x (2 0 1 2) + 3 x (0 1 2 0) = (5 5 8 5), and each further row of a adds
// 4 to each weight, so 4 x the column sums (3 4 5 3). The other order, m x a, starts (20 23 26 29).
TEST(MatrixMath, MultiplyPutsTheLeftOperandFirstInTheRowSum) {
    float a[16];
    float m[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = static_cast<float>(i);
        m[i] = static_cast<float>(i % 3);
    }
    const float expected[16] = {5, 5, 8, 5, 17, 21, 28, 17, 29, 37, 48, 29, 41, 53, 68, 41};
    MatMultiply(a, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m[i], expected[i]) << "index " << i;
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

    // A quarter turn about z takes x to y and y to -x: OpenGL's first column, gl[0] to gl[3],
    // is where x goes, and its second where y goes.
    float rotation[16];
    MatIdentity(rotation);
    MatRotateZ(kHalfPi, rotation);
    MatTranspose(rotation, gl);
    EXPECT_NEAR(gl[0], 0.0f, 1e-6f);
    EXPECT_NEAR(gl[1], 1.0f, 1e-6f);
    EXPECT_NEAR(gl[4], -1.0f, 1e-6f);
    EXPECT_NEAR(gl[5], 0.0f, 1e-6f);
}

TEST(MatrixMath, TransformPointIgnoresTheFourthRow) {
    float m[16];
    MatIdentity(m);
    m[15] = 2.0f;
    m[12] = 7.0f;
    ExpectPoint(Transform({1, 2, 3}, m), 1, 2, 3);
}

// 0.017453292 is stored as the float 0.0174532924; times 90 that is 1.57079631..., which in
// float rounds up to 1.5707964, the float nearest pi / 2. Worked out in double instead,
// 90 x 0.017453292 = 1.57079628 rounds down to the float below, 1.57079625.
TEST(MatrixMath, DegToRadIsASinglePrecisionMultiply) {
    EXPECT_EQ(DegToRad(180.0f), 3.1415927f);
    EXPECT_EQ(DegToRad(90.0f), kHalfPi);
}

} // namespace
