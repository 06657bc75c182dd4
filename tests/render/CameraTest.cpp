#include "render/Camera.h"
#include "app/Input.h"
#include "render/Light.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

unsigned SeedOne() {
    return 1;
}

// A straight tunnel (difficulty 1): every node has angles 0 and lies on the -z axis.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        tunnel.Generate(1, 500);
        testing::internal::GetCapturedStdout();
        ship.SetDirection(0, 0, -1);
        ship.SetUp(0, 1, 0);
    }

    void PlaceShip(int node, float along) {
        ship.SetNodeIndex(node);
        ship.along = along;
    }

    float NodeZ(int node) const { return tunnel.GetNodePosition(node).z; }
    float NodeLength(int node) const { return tunnel.GetPath().GetNode(node)->length; }

    CTextureManager registry;
    CTunnel tunnel{registry, &SeedOne};
    CInput input;
    CBody ship;
    CCamera camera;
};

TEST_F(CameraTest, StartsAtTheOriginLookingDownTheTunnel) {
    EXPECT_EQ(camera.GetNodeIndex(), 1);
    EXPECT_EQ(camera.GetDirection().z, -1.0f);
    EXPECT_EQ(camera.GetBody().GetSide().x, -1.0f);
}

TEST_F(CameraTest, StandsFifteenBackAlongThePathAndTwoAbove) {
    PlaceShip(10, 40.0f);
    camera.Update(ship, 0.02f, input, tunnel);
    EXPECT_EQ(camera.GetNodeIndex(), 10);
    EXPECT_NEAR(camera.GetPosition().x, 0.0f, 1e-4f);
    EXPECT_NEAR(camera.GetPosition().y, 2.0f, 1e-4f);
    EXPECT_NEAR(camera.GetPosition().z, NodeZ(10) - 25.0f, 1e-3f);
    EXPECT_NEAR(camera.GetDirection().z, -1.0f, 1e-6f);

    PlaceShip(10, 10.0f); // 5 more to walk back past node 10
    camera.Update(ship, 0.02f, input, tunnel);
    EXPECT_EQ(camera.GetNodeIndex(), 9);
    EXPECT_NEAR(camera.GetPosition().z, NodeZ(9) - (NodeLength(9) - 5.0f), 1e-3f);
}

TEST_F(CameraTest, HeightAndRollComeFromTheShipsFrame) {
    PlaceShip(10, 40.0f);
    ship.offset = 4.0f;
    ship.roll = 90.0f; // the ship's frame turned a quarter about the axis
    camera.Update(ship, 0.02f, input, tunnel);
    // (0, 3, 0) drops by offset + 1 to (0, -2), then turns 90 degrees about z to (2, 0).
    EXPECT_NEAR(camera.GetPosition().x, 2.0f, 1e-4f);
    EXPECT_NEAR(camera.GetPosition().y, 0.0f, 1e-4f);
}

TEST_F(CameraTest, NodeZeroStopsTheWalkSeventeenAndAHalfPastIt) {
    for (float along : {5.0f, 30.0f}) {
        PlaceShip(0, along);
        camera.Update(ship, 0.02f, input, tunnel);
        EXPECT_EQ(camera.GetNodeIndex(), 0);
        EXPECT_NEAR(camera.GetPosition().z, -17.5f, 1e-4f);
    }
    PlaceShip(1, 10.0f); // 5 left to walk when node 0 is reached
    camera.Update(ship, 0.02f, input, tunnel);
    EXPECT_EQ(camera.GetNodeIndex(), 0);
    EXPECT_NEAR(camera.GetPosition().z, -17.5f, 1e-4f);
}

TEST_F(CameraTest, FallsBackFasterAndFasterWhileTheShipHasNoEnergy) {
    PlaceShip(10, 100.0f);
    ship.SetEnergy(0);
    const float expected[] = {16.0f, 16.05f, 16.1025f};
    for (float distance : expected) {
        camera.Update(ship, 0.02f, input, tunnel);
        EXPECT_NEAR(camera.GetPosition().z, NodeZ(10) - (100.0f - distance), 1e-3f);
    }
    for (int frame = 0; frame < 200; ++frame) {
        camera.Update(ship, 0.02f, input, tunnel);
    }
    EXPECT_NEAR(camera.GetPosition().z, NodeZ(10) - (100.0f - 35.0f), 1e-3f) << "at most 35";

    ship.SetEnergy(100);
    camera.Update(ship, 0.02f, input, tunnel);
    EXPECT_NEAR(camera.GetPosition().z, NodeZ(10) - 85.0f, 1e-3f);
    EXPECT_EQ(camera.GetFallBackStep(), 1.0f);
}

TEST_F(CameraTest, LongStepsAndShipsOffThePathLeaveItWhereItWas) {
    PlaceShip(10, 40.0f);
    camera.Update(ship, 0.02f, input, tunnel);
    const CVector3 before = camera.GetPosition();
    PlaceShip(20, 40.0f);
    camera.Update(ship, 1.5f, input, tunnel);
    EXPECT_EQ(camera.GetPosition().z, before.z);
    PlaceShip(tunnel.GetRingCount(), 0.0f);
    camera.Update(ship, 0.02f, input, tunnel);
    EXPECT_EQ(camera.GetPosition().z, before.z);
    EXPECT_EQ(camera.GetNodeIndex(), 10);
}

TEST(Light, InitResetsAmbientAndPositionButNotDiffuse) {
    CLight light;
    light.SetAmbient(1, 1, 1, 1);
    light.SetDiffuse(1, 1, 1, 1);
    light.SetPosition(5, 5, 5, 1);
    light.Init(0x4001);
    EXPECT_EQ(light.GetLight(), 0x4001);
    EXPECT_EQ(light.GetAmbient()[0], 0.0f);
    EXPECT_EQ(light.GetAmbient()[3], 1.0f);
    EXPECT_EQ(light.GetDiffuse()[0], 1.0f);
    EXPECT_EQ(light.GetPosition()[1], 1.0f);
    EXPECT_EQ(light.GetPosition()[3], 0.0f);
}

} // namespace
