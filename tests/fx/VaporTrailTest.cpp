#include "fx/VaporTrail.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

class VaporTrailTest : public ::testing::Test {
protected:
    void ExpectPuff(int slot, float z, float age) {
        SCOPED_TRACE(slot);
        const CVaporPuff* puff = trail.GetPuff(slot);
        ASSERT_NE(puff, nullptr);
        EXPECT_NEAR(puff->GetPosition().z, z, 1e-4f);
        EXPECT_FLOAT_EQ(puff->GetAge(), age);
        EXPECT_EQ(puff->GetSize(), static_cast<float>(puff->GetAge() * 40.0f + 0.1));
    }

    CTextureManager registry; // empty: the texture is 0
    CVaporTrail trail{registry};
};

// The first frame lays from the starting previous position, the origin.
TEST_F(VaporTrailTest, LaysEvenlyBackAlongTheLastStepNewestAtTheShip) {
    trail.SetPosition(CVector3(0, 0, 10));
    trail.Update(0.016f);
    EXPECT_EQ(trail.GetPuffCount(), 2);
    ExpectPuff(0, 10.0f, 0.0f);
    ExpectPuff(1, 5.0f, 0.008f);
    EXPECT_FLOAT_EQ(trail.GetPuff(1)->GetSize(), 0.42f);

    trail.SetPosition(CVector3(0, 0, 40)); // the step is now from 10 to 40
    trail.SetPuffsPerUpdate(3);
    trail.Update(0.016f);
    ExpectPuff(2, 40.0f, 0.0f);
    ExpectPuff(4, 20.0f, 0.032f / 3.0f);
}

TEST_F(VaporTrailTest, PuffsAgeAndGoInTheUpdateAfterPassingTheirLifetime) {
    trail.SetPosition(CVector3(0, 0, 10));
    trail.Update(0.016f); // ages 0 and 0.008
    trail.SetPuffsPerUpdate(0);
    trail.Update(0.016f);
    ExpectPuff(0, 10.0f, 0.016f); // size 0.74
    ExpectPuff(1, 5.0f, 0.024f);
    trail.SetPuffsPerUpdate(-5);
    trail.Update(0.016f);
    ExpectPuff(0, 10.0f, 0.032f); // size 1.38
    EXPECT_EQ(trail.GetPuffCount(), 1);
    trail.Update(0.016f);
    EXPECT_EQ(trail.GetPuffCount(), 0);
}

// Each puff goes into the first empty slot from where the last one went, so holes left by
// dead puffs are filled first.
TEST_F(VaporTrailTest, FillsTheLowestEmptySlots) {
    trail.SetPuffsPerUpdate(1);
    trail.Update(0.015f); // slot 0
    trail.SetPuffsPerUpdate(2);
    trail.Update(0.015f); // slot 0 at 0.015; new puffs in 1 and 2
    trail.Update(0.006f); // slot 0 at 0.021; 3 and 4
    trail.Update(0.006f); // slot 0 goes; 0 and 5
    EXPECT_EQ(trail.GetPuffCount(), 6);
    EXPECT_EQ(trail.GetPuff(0)->GetAge(), 0.0f);
    EXPECT_FLOAT_EQ(trail.GetPuff(5)->GetAge(), 0.003f);
}

TEST_F(VaporTrailTest, TwoHundredAtMostNearestTheShipFirst) {
    trail.SetPosition(CVector3(0, 0, 6));
    trail.SetPuffsPerUpdate(6);
    trail.Update(0.001f);                   // slots 0 to 5
    trail.SetPosition(CVector3(0, 0, 306)); // from (0, 0, 6)
    trail.SetPuffsPerUpdate(300);
    trail.Update(0.001f);
    EXPECT_EQ(trail.GetPuffCount(), 200);
    for (int slot = 0; slot < 200; ++slot) { // many ages: some round apart in float
        const CVaporPuff* puff = trail.GetPuff(slot);
        EXPECT_EQ(puff->GetSize(), static_cast<float>(puff->GetAge() * 40.0f + 0.1)) << slot;
    }
    ExpectPuff(6, 306.0f, 0.0f);
    ExpectPuff(199, 113.0f, 0.001f * 193.0f / 300.0f);
    EXPECT_EQ(trail.GetLastFreeSlot(), 199);
    trail.SetPuffsPerUpdate(INT_MAX);
    trail.Update(0.001f);
    EXPECT_EQ(trail.GetLastFreeSlot(), -1);
    ExpectPuff(6, 306.0f, 0.001f);
}

} // namespace
