#include "entities/Laser.h"
#include "GameDataDirectory.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <gtest/gtest.h>

namespace {

unsigned SeedOne() {
    return 1;
}

class LaserTest : public ::testing::Test {
protected:
    CGameDataDirectory data;
    CTextureManager registry;
    CTunnel tunnel{registry, &SeedOne}; // not generated: shots ignore it
};

TEST_F(LaserTest, FliesTwentyFourStepsThenDiesInTheTwentyFifth) {
    CLaser shot(registry);
    shot.SetPosition(CVector3(0, 0, 0));
    shot.SetDirection(CVector3(0, 0, -1));
    shot.SetUp(CVector3(0, 1, 0));
    shot.SetSpeed(600.0f);
    for (int update = 1; update <= 24; ++update) {
        shot.Update(0.03f, tunnel);
        ASSERT_FALSE(shot.IsDead()) << "update " << update;
    }
    EXPECT_NEAR(shot.GetPosition().z, -432.0f, 1e-2f);
    EXPECT_NEAR(shot.GetPreviousPosition().z, -414.0f, 1e-2f);
    shot.Update(0.03f, tunnel);
    EXPECT_TRUE(shot.IsDead());
    EXPECT_NEAR(shot.GetPosition().z, -432.0f, 1e-2f) << "a dead shot no longer moves";
}

TEST_F(LaserTest, MovesExactlyItsStepWhateverTheDirectionsLength) {
    CLaser shot(registry);
    shot.SetPosition(CVector3(0, 0, 0));
    shot.SetDirection(CVector3(0, 3, -4));
    shot.SetSpeed(600.0f);
    shot.Update(0.01f, tunnel);
    EXPECT_NEAR(shot.GetPosition().Length(), 6.0f, 1e-5f);
    EXPECT_NEAR(shot.GetPosition().y, 3.6f, 1e-5f);
}

} // namespace
