// The ghost flies the best run's recorded poses: exactly at a frame's end, part of the way
// between two frames, held after the last, hidden while the ship was blown apart; and the split
// against it reads as a player expects.

#include "game/Ghost.h"
#include "world/Path.h"
#include "world/Vector3.h"

#include <gtest/gtest.h>

namespace {

CReplay::SPose Pose(int node, float along, float offset, float roll) {
    CReplay::SPose pose;
    pose.node = node;
    pose.along = CReplay::ToPoseUnits(along);
    pose.offset = CReplay::ToPoseUnits(offset);
    pose.roll = CReplay::ToPoseUnits(roll);
    return pose;
}

class Ghost : public ::testing::Test {
protected:
    void SetUp() override {
        // Two rings straight down -z, neither turned, so that every position below is worked
        // out by hand: the ring's centre, `along` further down -z, and the offset (0, -offset,
        // 0) turned by the roll about z (x' = -y sin roll at 90 degrees).
        path.AddNode(10.0f, 0.0f, -100.0f, 0.0f, 0.0f, -1.0f, -100.0f, 70.0f, 0, 0.0f, 0.0f, 10.0f);
        path.AddNode(10.0f, 5.0f, -110.0f, 0.0f, 0.0f, -1.0f, -110.0f, 70.0f, 1, 0.0f, 0.0f, 10.0f);
        // Three frames of 40 ms: (10, 0, -100); (13, 0, -104), 3 below the centre rolled a
        // quarter turn; then (10, 5, -112).
        best.finished = true;
        best.frames.resize(3);
        const CReplay::SPose poses[] = {Pose(0, 0.0f, 0.0f, 0.0f), Pose(0, 4.0f, 3.0f, 90.0f),
                                        Pose(1, 2.0f, 0.0f, 90.0f)};
        for (int i = 0; i < 3; ++i) {
            best.frames[i].step = 0.04;
            best.frames[i].pose = poses[i];
        }
        best.splits = {0.0, 1.5};
    }

    static void ExpectAt(const float* model, float x, float y, float z) {
        EXPECT_NEAR(model[12], x, 1e-3f);
        EXPECT_NEAR(model[13], y, 1e-3f);
        EXPECT_NEAR(model[14], z, 1e-3f);
    }

    CPath path;
    CReplay best;
};

TEST_F(Ghost, FliesTheRecordedPosesAtTheirTimesAndBetweenThem) {
    const CGhost ghost(best);
    float model[16];
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.0, path, model)); // before the first end
    ExpectAt(model, 10.0f, 0.0f, -100.0f);
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.08, path, model)); // the second's end
    ExpectAt(model, 13.0f, 0.0f, -104.0f);
    // Rolled a quarter turn: the ship's x axis points up.
    EXPECT_NEAR(model[0], 0.0f, 1e-5f);
    EXPECT_NEAR(model[1], 1.0f, 1e-5f);
    EXPECT_NEAR(model[2], 0.0f, 1e-5f);

    // A quarter of the way from the second frame's end to the third's: the position a quarter
    // along the line, the axes still a rotation (unit length, at right angles).
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.09, path, model));
    ExpectAt(model, 12.25f, 1.25f, -106.0f);
    for (int a = 0; a < 3; ++a) {
        const CVector3 axis(model[4 * a], model[4 * a + 1], model[4 * a + 2]);
        EXPECT_NEAR(axis.Length(), 1.0f, 1e-5f);
        const int b = (a + 1) % 3;
        const float dot =
            axis.x * model[4 * b] + axis.y * model[4 * b + 1] + axis.z * model[4 * b + 2];
        EXPECT_NEAR(dot, 0.0f, 1e-5f);
    }

    // After the last frame it stays where the run ended.
    ASSERT_TRUE(ghost.ComputeModelMatrix(60.0, path, model));
    ExpectAt(model, 10.0f, 5.0f, -112.0f);
}

TEST_F(Ghost, IsHiddenWhileTheBestRunsShipWasBlownApart) {
    best.frames[2].pose.visible = false;
    const CGhost ghost(best);
    float model[16];
    EXPECT_TRUE(ghost.ComputeModelMatrix(0.06, path, model));
    EXPECT_FALSE(ghost.ComputeModelMatrix(0.10, path, model));
    EXPECT_FALSE(ghost.ComputeModelMatrix(9.0, path, model));
}

TEST_F(Ghost, SplitsAreMinusWhenAheadAndPlusWhenBehind) {
    const CGhost ghost(best);
    EXPECT_EQ(ghost.GetSplit(1), 1.5);
    EXPECT_LT(ghost.GetSplit(2), 0.0); // the best run never got there
    EXPECT_EQ(CGhost::FormatSplit(-1.234), "-1.23");
    EXPECT_EQ(CGhost::FormatSplit(0.449), "+0.45");
    EXPECT_EQ(CGhost::FormatSplit(-0.001), "+0.00");
    EXPECT_EQ(CGhost::FormatSplit(62.5), "+62.50");
}

} // namespace
