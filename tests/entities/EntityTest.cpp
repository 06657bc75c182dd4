#include "entities/Entity.h"
#include "GameDataDirectory.h"
#include "render/Mesh.h"

#include <gtest/gtest.h>

namespace {

// The plainest entity: a sphere of a given radius that steps where it is told.
class CBall : public CEntity {
public:
    explicit CBall(float radius) {
        CGameDataDirectory::WriteOctahedron("ball.obj", radius);
        LoadMesh("ball.obj");
    }
    void StepTo(const CVector3& p) {
        body->SavePrevious();
        SetPosition(p);
    }
    void Update(float, const CTunnel&) override {}
    void Draw(const CCamera&, const CRenderSettings&) override {}
};

class EntityTest : public ::testing::Test {
protected:
    CGameDataDirectory data; // a scratch working directory for the meshes
};

TEST_F(EntityTest, StartsAtZeroZeroOneFacingDownTheTunnel) {
    const CBall ball(1.0f);
    EXPECT_EQ(ball.GetPosition().z, 1.0f);
    EXPECT_EQ(ball.GetDirection().z, -1.0f);
    EXPECT_EQ(ball.GetUp().y, 1.0f);
    EXPECT_EQ(ball.GetBody().GetSide().x, -1.0f);
    EXPECT_EQ(ball.GetNodeIndex(), 0);
    EXPECT_FALSE(ball.IsExploding());
    EXPECT_FLOAT_EQ(ball.GetRadius(), 1.0f);
}

TEST_F(EntityTest, EnergyStaysWithinZeroToOneHundred) {
    CBall ball(1.0f);
    ball.SetEnergy(-3);
    EXPECT_EQ(ball.GetEnergy(), 0);
    EXPECT_TRUE(ball.IsDead());
    ball.SetEnergy(150);
    EXPECT_EQ(ball.GetEnergy(), 100);
    ball.SetEnergy(3);
    ball.Damage(5);
    EXPECT_EQ(ball.GetEnergy(), 0);
}

TEST_F(EntityTest, OverlapIsStrict) {
    CBall mover(1.0f);
    CBall target(2.0f);
    target.SetPosition(CVector3(0, 0, 0));
    mover.StepTo(CVector3(3, 0, 0));
    mover.StepTo(CVector3(3, 0, 0)); // no step: overlap alone decides
    EXPECT_FALSE(mover.Collide(target)) << "exactly R apart";
    mover.StepTo(CVector3(2.9f, 0, 0));
    mover.StepTo(CVector3(2.9f, 0, 0));
    EXPECT_TRUE(mover.Collide(target));
}

TEST_F(EntityTest, AFastStepCannotJumpThrough) {
    CBall shot(0.5f);
    CBall enemy(1.0f);
    enemy.SetPosition(CVector3(1, 0, -50));
    shot.StepTo(CVector3(0, 0, 0));
    shot.StepTo(CVector3(0, 0, -100));
    EXPECT_TRUE(shot.Collide(enemy)) << "crosses the plane at (0, 0, -50), 1 from the centre";
    EXPECT_FALSE(enemy.Collide(shot)) << "only the moving party's step is swept";

    enemy.SetPosition(CVector3(1.6f, 0, -50));
    EXPECT_FALSE(shot.Collide(enemy)) << "passes 1.6 from the centre, reach 1.5";
}

TEST_F(EntityTest, OnlyAStepThatCrossesThePlaneForwardHits) {
    CBall shot(0.5f);
    CBall enemy(1.0f);
    enemy.SetPosition(CVector3(0, 0, -50));
    shot.StepTo(CVector3(0, 0, -60)); // already past the enemy, moving on away from it
    shot.StepTo(CVector3(0, 0, -100));
    EXPECT_FALSE(shot.Collide(enemy));
    shot.StepTo(CVector3(0, 0, 10)); // coming back through it
    EXPECT_TRUE(shot.Collide(enemy));
}

TEST_F(EntityTest, MayReachTurnsAwayOnlyBoxesNothingInCouldBeHit) {
    CBall mover(1.0f);
    mover.StepTo(CVector3(0, 0, 0));
    mover.StepTo(CVector3(10, 0, 0)); // reach 2 with a ball of radius 1
    const struct {
        CVector3 low;
        CVector3 high;
        bool mayReach;
    } cases[] = {
        {{-100, -1, -1}, {100, 1, 1}, true},   // across the whole step
        {{4, 0, 0}, {4, 0, 0}, true},          // a point on the step
        {{-5, -1, -1}, {-2.1f, 1, 1}, false},  // short of the start
        {{12.1f, -1, -1}, {20, 1, 1}, false},  // past the end
        {{0, 1.9f, 0}, {10, 5, 0}, true},      // within reach above the step
        {{0, 2.1f, 0}, {10, 5, 0}, false},     // beyond it
        {{0, 0, -9}, {0, 0, -2.1f}, false},    // beside it in depth
        {{11.5f, -1.5f, 0}, {30, 0, 0}, true}, // a corner just within reach
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mover.MayReach(c.low, c.high, 1.0f), c.mayReach)
            << c.low.x << "," << c.low.y << "," << c.low.z << " to " << c.high.x << "," << c.high.y
            << "," << c.high.z;
    }
}

} // namespace
