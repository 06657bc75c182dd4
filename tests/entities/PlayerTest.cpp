#include "entities/Player.h"
#include "GameDataDirectory.h"
#include "app/Input.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/glut.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

unsigned SeedOne() {
    return 1;
}

// A ship of radius 6 in a straight tunnel (difficulty 1: every node angle is 0).
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        tunnel.Generate(1, 500);
        testing::internal::GetCapturedStdout();
    }

    void PlaceAt(int node, float along) {
        player.SetNodeIndex(node);
        player.GetBody().along = along;
    }

    const CPathNode& Node(int index) const { return *tunnel.GetPath().GetNode(index); }

    CGameDataDirectory data{6.0f};
    CTextureManager registry;
    CTunnel tunnel{registry, &SeedOne};
    CInput input;
    CPlayer player{registry};
};

TEST_F(PlayerTest, SpeedRisesAtTwoFiftyAndFallsAtFiveHundredPerSecondSquared) {
    EXPECT_EQ(player.GetMaxSpeed(), 500.0f);
    input.KeyDown(' ', 0, 0);
    player.Steer(input, 1.0f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 250.0f);
    player.Steer(input, 1.0f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 500.0f);
    player.Steer(input, 1.0f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 500.0f);
    input.KeyUp(' ', 0, 0);
    player.Steer(input, 0.5f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 250.0f);
    player.Steer(input, 0.5f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 0.0f);
    player.Steer(input, 0.5f);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 0.0f);
}

TEST_F(PlayerTest, SteeringImpulsesDecayFrameByFrameIntoTurnLevels) {
    PlaceAt(10, 40.0f);
    input.KeyDown('d', 0, 0); // left
    player.Steer(input, 0.01f);
    EXPECT_FLOAT_EQ(player.GetBody().leftSteerImpulse, 27.0f);
    player.Update(0.01f, tunnel);
    EXPECT_FLOAT_EQ(player.GetTurnRate(), -27.0f);
    EXPECT_EQ(player.GetTurnLevel(), -3.0f);
    EXPECT_FLOAT_EQ(player.GetBody().leftSteerImpulse, 14.0f);
    EXPECT_FLOAT_EQ(player.GetBody().roll, -27.0f * 0.025f);

    input.KeyUp('d', 0, 0);
    player.Steer(input, 0.01f);
    player.Update(0.01f, tunnel);
    EXPECT_FLOAT_EQ(player.GetTurnRate(), -7.0f);
    EXPECT_EQ(player.GetTurnLevel(), -2.0f);
    EXPECT_FLOAT_EQ(player.GetBody().leftSteerImpulse, 9.0f);

    player.Update(0.01f, tunnel); // 9 gives 3, leaves 4
    EXPECT_NEAR(player.GetTurnRate(), -3.0f, 1e-5f);
    EXPECT_EQ(player.GetTurnLevel(), -1.0f);
    player.Update(0.01f, tunnel); // 4 gives 0.8 and is cleared
    EXPECT_NEAR(player.GetTurnRate(), -0.8f, 1e-6f);
    EXPECT_EQ(player.GetBody().leftSteerImpulse, 0.0f);
    player.Update(0.01f, tunnel);
    EXPECT_EQ(player.GetTurnLevel(), 0.0f);

    player.GetBody().rightSteerImpulse = 100.0f; // capped at 45
    player.Update(0.01f, tunnel);
    EXPECT_FLOAT_EQ(player.GetTurnRate(), 45.0f);
    EXPECT_EQ(player.GetTurnLevel(), 3.0f);
}

TEST_F(PlayerTest, UpAndDownMoveTheShipAcrossTheAxisAndTiltIt) {
    input.KeyDown(GLUT_KEY_UP, 0, 0);
    player.Steer(input, 0.1f);
    EXPECT_EQ(player.GetBody().offset, 0.0f) << "never above the axis";
    EXPECT_EQ(player.GetBody().tilt, 5.0f);
    input.KeyDown(GLUT_KEY_DOWN, 0, 0);
    player.Steer(input, 0.1f);
    EXPECT_FLOAT_EQ(player.GetBody().offset, 7.0f);
    EXPECT_EQ(player.GetBody().tilt, -5.0f) << "down is taken after up";
}

TEST_F(PlayerTest, TheWallPushesTheShipBackWithoutDamage) {
    PlaceAt(10, 40.0f);
    player.GetBody().offset = 70.0f;
    player.GetBody().tilt = 5.0f;
    player.Update(0.01f, tunnel);
    EXPECT_FLOAT_EQ(player.GetBody().offset, 70.0f - 6.0f - 2.0f);
    EXPECT_EQ(player.GetBody().tilt, 0.0f);
    EXPECT_EQ(player.GetEnergy(), 100);
    player.GetBody().offset = 63.0f; // r - radius = 64 is not less than that
    player.Update(0.01f, tunnel);
    EXPECT_FLOAT_EQ(player.GetBody().offset, 63.0f);
}

TEST_F(PlayerTest, TravelsAlongThePathNodeByNode) {
    PlaceAt(10, 0.0f);
    player.SetSpeed(Node(10).length);
    player.Update(1.0f, tunnel);
    EXPECT_EQ(player.GetNodeIndex(), 10) << "a step ending exactly at the node's length";
    EXPECT_FLOAT_EQ(player.GetBody().along, Node(10).length);

    player.SetSpeed(Node(11).length + 5.0f);
    player.Update(1.0f, tunnel);
    EXPECT_EQ(player.GetNodeIndex(), 12);
    EXPECT_NEAR(player.GetBody().along, 5.0f, 1e-3f);
}

TEST_F(PlayerTest, ALongPauseAtFullSpeedStopsAtTheLastNode) {
    const int last = tunnel.GetRingCount() - 1;
    PlaceAt(last - 3, 0.0f);
    player.SetSpeed(500.0f);
    player.Update(100.0f, tunnel);
    EXPECT_EQ(player.GetNodeIndex(), last);
    EXPECT_FLOAT_EQ(player.GetBody().along, Node(last).length);
    EXPECT_FALSE(std::isnan(player.GetPosition().z));
    EXPECT_NEAR(player.GetPosition().z, Node(last).position.z - Node(last).length, 1e-2f);
    player.Update(100.0f, tunnel);
    EXPECT_EQ(player.GetNodeIndex(), last);
}

TEST_F(PlayerTest, FrameVectorsFollowTheTunnelAndTheRoll) {
    PlaceAt(10, 40.0f);
    player.Update(0.01f, tunnel);
    const CVector3 n = Node(10).position;
    EXPECT_NEAR(player.GetPosition().x, n.x, 1e-4f);
    EXPECT_NEAR(player.GetPosition().z, n.z - 40.0f, 1e-3f);
    EXPECT_NEAR(player.GetUp().y, 1.0f, 1e-6f);
    EXPECT_NEAR(player.GetDirection().z, -1.0f, 1e-6f);

    player.GetBody().roll = 90.0f;
    player.GetBody().offset = 10.0f;
    player.Update(0.01f, tunnel);
    EXPECT_NEAR(player.GetPosition().x, n.x + 10.0f, 1e-4f);
    EXPECT_NEAR(player.GetPosition().y, n.y, 1e-4f);
    EXPECT_NEAR(player.GetUp().x, -1.0f, 1e-6f);
    EXPECT_NEAR(player.GetDirection().z, -1.0f, 1e-6f);
    // The model matrix, in OpenGL order, carries the same position.
    EXPECT_NEAR(player.GetBody().modelMatrix[12], n.x + 10.0f, 1e-4f);
    EXPECT_NEAR(player.GetBody().modelMatrix[14], n.z - 40.0f, 1e-3f);
}

TEST_F(PlayerTest, WarningsSoundOnceUntilTheShipComesBack) {
    PlaceAt(10, 0.0f);
    player.SetEnergy(25);
    player.Update(0.01f, tunnel);
    EXPECT_FALSE(player.HasWarningStarted());
    player.SetEnergy(15);
    player.Update(0.01f, tunnel);
    EXPECT_TRUE(player.HasWarningStarted());
    EXPECT_FALSE(player.HasAlertStarted());
    player.SetEnergy(5);
    player.Update(0.01f, tunnel);
    EXPECT_TRUE(player.HasAlertStarted());

    player.SetEnergy(0);
    for (int frame = 0; frame < 60 && player.GetEnergy() == 0; ++frame) {
        player.Update(0.1f, tunnel);
    }
    EXPECT_EQ(player.GetEnergy(), 100);
    EXPECT_FALSE(player.HasWarningStarted());
    EXPECT_FALSE(player.HasAlertStarted());
}

TEST_F(PlayerTest, SelfDestructCoastsExplodesAndRestartsAfterFiveSeconds) {
    PlaceAt(10, 0.0f);
    player.SetSpeed(500.0f);
    player.SelfDestruct();
    EXPECT_EQ(player.GetEnergy(), 0);
    EXPECT_TRUE(player.HasWarningStarted() && player.HasAlertStarted()) << "both kept silent";

    input.KeyDown(' ', 0, 0); // ignored while coasting
    player.Steer(input, 0.5f);
    player.Update(0.5f, tunnel);
    EXPECT_FLOAT_EQ(player.GetSpeed(), 250.0f);
    EXPECT_FALSE(player.IsExploding());

    player.Steer(input, 0.5f);
    player.Update(0.5f, tunnel);
    EXPECT_TRUE(player.IsExploding());
    EXPECT_FLOAT_EQ(player.GetExplosionTimer(), 0.5f);
    const int node = player.GetNodeIndex();
    for (int frame = 0; frame < 9; ++frame) { // to 5.0 s: not yet above 5
        player.Update(0.5f, tunnel);
    }
    EXPECT_TRUE(player.IsExploding());
    player.Update(0.5f, tunnel);
    EXPECT_FALSE(player.IsExploding());
    EXPECT_EQ(player.GetEnergy(), 100);
    EXPECT_EQ(player.GetExplosionTimer(), 0.0f);
    EXPECT_EQ(player.GetNodeIndex(), node);
    EXPECT_EQ(player.GetSpeed(), 0.0f);
}

} // namespace
