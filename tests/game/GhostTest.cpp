// The ghost flies the best run's recorded poses: exactly at a frame's end, part of the way
// between two frames, held after the last, hidden while the ship was blown apart; and the split
// against it reads as a player expects.

#include "game/Ghost.h"
#include "entities/Player.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <gtest/gtest.h>

namespace {

CReplay::SPose Pose(int node, float along, float roll) {
    CReplay::SPose pose;
    pose.node = node;
    pose.along = CReplay::ToPoseUnits(along);
    pose.roll = CReplay::ToPoseUnits(roll);
    return pose;
}

class Ghost : public ::testing::Test {
protected:
    void SetUp() override {
        registry.ListAll();
        testing::internal::CaptureStdout(); // the path line
        tunnel.Generate(3, 200);
        testing::internal::GetCapturedStdout();
        // Three frames of 40 ms: node 20 at 0 and 4 units in, then node 21.
        best.finished = true;
        best.frames.resize(3);
        const CReplay::SPose poses[] = {Pose(20, 0.0f, 0.0f), Pose(20, 4.0f, 90.0f),
                                        Pose(21, 2.0f, 90.0f)};
        for (int i = 0; i < 3; ++i) {
            best.frames[i].step = 0.04;
            best.frames[i].pose = poses[i];
        }
        best.splits = {0.0, 1.5};
    }

    // Where the ship's model matrix puts it for that recorded pose.
    CVector3 PositionOf(const CReplay::SPose& pose) const {
        float model[16];
        const CPlayer::SPathPose path{CReplay::FromPoseUnits(pose.along), 0.0f,
                                      CReplay::FromPoseUnits(pose.roll), 0.0f, 0.0f};
        CPlayer::ComputeModelMatrix(path, *tunnel.GetPath().GetNode(pose.node), model);
        return CVector3(model[12], model[13], model[14]);
    }

    static void ExpectNear(const float* model, const CVector3& p) {
        EXPECT_NEAR(model[12], p.x, 1e-3f);
        EXPECT_NEAR(model[13], p.y, 1e-3f);
        EXPECT_NEAR(model[14], p.z, 1e-3f);
    }

    CTextureManager registry;
    CTunnel tunnel{registry, [] { return 5u; }};
    CReplay best;
};

TEST_F(Ghost, FliesTheRecordedPosesAtTheirTimesAndBetweenThem) {
    const CGhost ghost(best);
    float model[16];
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.0, tunnel.GetPath(), model)); // before the first end
    ExpectNear(model, PositionOf(best.frames[0].pose));
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.08, tunnel.GetPath(), model)); // the second's end
    ExpectNear(model, PositionOf(best.frames[1].pose));

    // A quarter of the way from the second frame's end to the third's: the position a quarter
    // along the line, the axes still a rotation (unit length, at right angles).
    ASSERT_TRUE(ghost.ComputeModelMatrix(0.09, tunnel.GetPath(), model));
    const CVector3 from = PositionOf(best.frames[1].pose);
    const CVector3 to = PositionOf(best.frames[2].pose);
    ExpectNear(model, from.Added(to.Subtract(from).Scaled(0.25f)));
    for (int a = 0; a < 3; ++a) {
        const CVector3 axis(model[4 * a], model[4 * a + 1], model[4 * a + 2]);
        EXPECT_NEAR(axis.Length(), 1.0f, 1e-5f);
        const int b = (a + 1) % 3;
        const float dot =
            axis.x * model[4 * b] + axis.y * model[4 * b + 1] + axis.z * model[4 * b + 2];
        EXPECT_NEAR(dot, 0.0f, 1e-5f);
    }

    // After the last frame it stays where the run ended.
    ASSERT_TRUE(ghost.ComputeModelMatrix(60.0, tunnel.GetPath(), model));
    ExpectNear(model, PositionOf(best.frames[2].pose));
}

TEST_F(Ghost, IsHiddenWhileTheBestRunsShipWasBlownApart) {
    best.frames[2].pose.visible = false;
    const CGhost ghost(best);
    float model[16];
    EXPECT_TRUE(ghost.ComputeModelMatrix(0.06, tunnel.GetPath(), model));
    EXPECT_FALSE(ghost.ComputeModelMatrix(0.10, tunnel.GetPath(), model));
    EXPECT_FALSE(ghost.ComputeModelMatrix(9.0, tunnel.GetPath(), model));
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
