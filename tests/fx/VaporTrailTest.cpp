#include "fx/VaporTrail.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

class VaporTrailTest : public ::testing::Test {
protected:
    // Ages and sizes worked out by hand: of n puffs, the i-th from the ship (from 0) is i/n of
    // the step old, and its size is 40 x age + 0.1.
    void ExpectPuff(int slot, float z, float age, float size) {
        SCOPED_TRACE(slot);
        const CVaporPuff* puff = trail.GetPuff(slot);
        ASSERT_NE(puff, nullptr);
        EXPECT_NEAR(puff->GetPosition().z, z, 1e-4f);
        EXPECT_NEAR(puff->GetAge(), age, 1e-7f);
        EXPECT_NEAR(puff->GetSize(), size, 1e-6f);
    }

    CTextureManager registry; // empty: the texture is 0
    CVaporTrail trail{registry};
};

// The first frame lays from the starting previous position, the origin.
TEST_F(VaporTrailTest, LaysEvenlyBackAlongTheLastStepNewestAtTheShip) {
    trail.SetPosition(CVector3(0, 0, 10));
    trail.Update(0.016f);
    EXPECT_EQ(trail.GetPuffCount(), 2);
    ExpectPuff(0, 10.0f, 0.0f, 0.1f);
    ExpectPuff(1, 5.0f, 0.008f, 0.42f);

    trail.SetPosition(CVector3(0, 0, 40)); // the step is now from 10 to 40
    trail.SetPuffsPerUpdate(3);
    trail.Update(0.016f);
    ExpectPuff(2, 40.0f, 0.0f, 0.1f);
    ExpectPuff(4, 20.0f, 0.0106667f, 0.526667f); // third of three: 2/3 of 0.016 s
}

TEST_F(VaporTrailTest, PuffsAgeAndGoInTheUpdateAfterPassingTheirLifetime) {
    trail.SetPosition(CVector3(0, 0, 10));
    trail.Update(0.016f); // ages 0 and 0.008
    trail.SetPuffsPerUpdate(0);
    trail.Update(0.016f);
    ExpectPuff(0, 10.0f, 0.016f, 0.74f);
    ExpectPuff(1, 5.0f, 0.024f, 1.06f);
    trail.SetPuffsPerUpdate(-5);
    trail.Update(0.016f);
    ExpectPuff(0, 10.0f, 0.032f, 1.38f);
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
    // Slots 6 to 199 take the first 194 of the 300 puffs, one unit apart back from z 306:
    // the 95th is 94/300 ms old, the 194th 193/300 ms.
    ExpectPuff(6, 306.0f, 0.0f, 0.1f);
    ExpectPuff(100, 212.0f, 0.000313333f, 0.112533f);
    ExpectPuff(199, 113.0f, 0.000643333f, 0.125733f);
    EXPECT_EQ(trail.GetLastFreeSlot(), 199);
    trail.SetPuffsPerUpdate(INT_MAX);
    trail.Update(0.001f);
    EXPECT_EQ(trail.GetLastFreeSlot(), -1);
    ExpectPuff(6, 306.0f, 0.001f, 0.14f);
}

} // namespace
