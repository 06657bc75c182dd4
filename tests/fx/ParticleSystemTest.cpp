#include "fx/ParticleSystem.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// What rand() will give after srand(seed), read ahead; the generator is left seeded so.
std::vector<int> Tape(unsigned seed) {
    std::srand(seed);
    std::vector<int> values(2000);
    std::generate(values.begin(), values.end(), [] { return std::rand(); });
    std::srand(seed);
    return values;
}

// A particle's life and velocity as worked out by hand from its four draws.
void ExpectParticle(const CParticle& particle, float life, float vx, float vy, float vz) {
    EXPECT_FLOAT_EQ(particle.GetLife(), life);
    EXPECT_FLOAT_EQ(particle.GetVelocity().x, vx);
    EXPECT_FLOAT_EQ(particle.GetVelocity().y, vy);
    EXPECT_FLOAT_EQ(particle.GetVelocity().z, vz);
}

int HighestEmptySlot(const CParticleSystem& system, bool fire) {
    int highest = -1;
    for (int i = 0; i < (fire ? CParticleSystem::kFireSlots : CParticleSystem::kSmokeSlots); ++i) {
        highest = (fire ? system.GetFireParticle(i) : system.GetSmokeParticle(i)) ? highest : i;
    }
    return highest;
}

TEST(ParticleTest, GrowsAndAnimatesWhileAliveThenKeepsSizeAndCellButMoves) {
    CParticle fire(CVector3(1, 2, 3), CVector3(10, 0, -4), 1.5f, 0.25f);
    fire.Animate(15, 4);
    EXPECT_EQ(fire.GetCellColumn(), 0.0f); // age 0: top left of the sheet
    EXPECT_EQ(fire.GetCellRow(), 3.0f);
    fire.Grow(0.75f, 1.0f);
    fire.Animate(15, 4); // frame 7
    EXPECT_EQ(fire.GetCellColumn(), 3.0f);
    EXPECT_EQ(fire.GetCellRow(), 2.0f);
    fire.Grow(0.75f, 1.0f); // age = life: still alive, the last frame
    fire.Animate(15, 4);
    EXPECT_TRUE(fire.IsAlive());
    EXPECT_EQ(fire.GetCellColumn(), 3.0f);
    EXPECT_EQ(fire.GetCellRow(), 0.0f);
    EXPECT_FLOAT_EQ(fire.GetSize(), 15.0f); // 5 x (age + life)
    fire.Grow(0.5f, 1.0f);                  // passes its life: the last growth
    fire.Grow(0.5f, 1.0f);
    fire.Animate(15, 4);
    EXPECT_FALSE(fire.IsAlive());
    EXPECT_FLOAT_EQ(fire.GetSize(), 17.5f);
    EXPECT_EQ(fire.GetCellRow(), 0.0f);
    fire.Move(0.5f);
    EXPECT_FLOAT_EQ(fire.GetPosition().x, 6.0f);

    CParticle smoke(CVector3(), CVector3(), 1.0f, 1.0f / 3.0f);
    for (float step : {0.5f, 0.5f}) { // frames 4 and 8 of a 3 x 3 sheet
        smoke.Grow(step, 1.0f);
        smoke.Animate(8, 3);
        EXPECT_EQ(smoke.GetCellColumn(), smoke.GetAge() < 1.0f ? 1.0f : 2.0f);
        EXPECT_EQ(smoke.GetCellRow(), smoke.GetAge() < 1.0f ? 1.0f : 0.0f);
    }
}

TEST(ParticleSystemTest, DoesNothingBeforeStart) {
    CTextureManager registry; // empty: both textures are 0
    CParticleSystem effect(registry);
    const std::vector<int> tape = Tape(11);
    effect.Update(0.25f);
    EXPECT_EQ(effect.GetAge(), 0.0f);
    EXPECT_EQ(HighestEmptySlot(effect, true), 19);
    EXPECT_EQ(std::rand(), tape[0]) << "an inactive update draws nothing";
}

// Seed 1: rand() gives 1804289383, 846930886, 1681692777, 1714636915, 1957747793, 424238335,
// 719885386, 1649760492, 596516649, 1189641421. Fire count 83 % 10 + 1 = 4, but only slot 19 is
// above the free one; its life 1 + 0.86, velocity 10 - 0.2 x (77, 15, 93). Smoke count
// 424238335 % 15 = 10, which counts as 9, so 10 slots, again only slot 9; life 1 + 0.86,
// velocity 5 - 0.1 x (92, 49, 21). Both are born this update and move by its 0.5 s.
TEST(ParticleSystemTest, SeedOneFirstUpdateDrawsCountsAndParticlesInOrder) {
    CTextureManager registry;
    CParticleSystem effect(registry);
    const std::vector<int> tape = Tape(1);
    effect.Start(CVector3(1, 2, 3));
    effect.Update(0.5f);
    const CParticle& fire = *effect.GetFireParticle(19);
    ExpectParticle(fire, 1.86f, -5.4f, 7.0f, -8.6f);
    EXPECT_FLOAT_EQ(fire.GetPosition().x, -1.7f);
    EXPECT_FLOAT_EQ(fire.GetPosition().y, 5.5f);
    EXPECT_FLOAT_EQ(fire.GetPosition().z, -1.3f);
    EXPECT_EQ(fire.GetSize(), 5.0f) << "born this update: moved, not grown";
    const CParticle& smoke = *effect.GetSmokeParticle(9);
    ExpectParticle(smoke, 1.86f, -4.2f, 0.1f, 2.9f);
    EXPECT_FLOAT_EQ(smoke.GetPosition().x, -1.1f);
    EXPECT_FLOAT_EQ(smoke.GetPosition().z, 4.45f);
    EXPECT_EQ(HighestEmptySlot(effect, true), 18);
    EXPECT_EQ(HighestEmptySlot(effect, false), 8);
    EXPECT_EQ(std::rand(), tape[10]) << "ten draws: two counts and two particles";
}

// Each update fills the next lower slot and re-creates count - 1 particles above it, so fire
// fills in 20 updates and smoke in 10. Seed 1's fire counts (rand() % 10 + 1) are 4, 3, 8, 7,
// 5, 5, 2, 4, 2, 10, 3, 5, 2, 3, 4, 4, 1, 7, 8, 1, capped by the slots from the free one up;
// its smoke counts (rand() % 15, 10 to 14 as 9, + 1) are 10, 2, 4, 1, 7, 10, 10, 9, 6, 5.
// Counting four draws a particle and two an update, 22 updates use 524 draws.
TEST(ParticleSystemTest, SlotsFillOneLowerPerUpdateReCreatingAboveUntilFull) {
    const int newFire[22] = {1, 2, 3, 4, 5, 5, 2, 4, 2, 10, 3, 5, 2, 3, 4, 4, 1, 7, 8, 1, 0, 0};
    const int newSmoke[22] = {1, 2, 3, 1, 5, 6, 7, 8, 6, 5};
    CTextureManager registry;
    CParticleSystem effect(registry);
    const std::vector<int> tape = Tape(1);
    effect.Start(CVector3(1, 2, 3));
    for (int update = 0; update < 22; ++update) {
        SCOPED_TRACE(update + 1);
        effect.Update(0.5f);
        const int firstNewFire = CParticleSystem::kFireSlots - 1 - update;
        for (int slot = std::max(firstNewFire, 0); slot < CParticleSystem::kFireSlots; ++slot) {
            EXPECT_EQ(effect.GetFireParticle(slot)->GetAge() == 0.0f,
                      slot < firstNewFire + newFire[update])
                << "fire slot " << slot;
        }
        const int firstNewSmoke = CParticleSystem::kSmokeSlots - 1 - update;
        for (int slot = std::max(firstNewSmoke, 0); slot < CParticleSystem::kSmokeSlots; ++slot) {
            EXPECT_EQ(effect.GetSmokeParticle(slot)->GetAge() == 0.0f,
                      slot < firstNewSmoke + newSmoke[update])
                << "smoke slot " << slot;
        }
        EXPECT_EQ(HighestEmptySlot(effect, true), std::max(firstNewFire - 1, -1));
        EXPECT_EQ(HighestEmptySlot(effect, false), std::max(firstNewSmoke - 1, -1));
    }
    EXPECT_EQ(std::rand(), tape[524]) << "a full system still draws its two counts";
}

// Seed 17, half scale, 20 updates of no time: the last one fills slot 0 from the draws
// 74, 81, 43, 90 (rand() % 100), so life 1.74 and velocity (10 - 0.2 x draw) / 2. Then
// 0.375 s of growth: size (age x 5 + life x 5) x 0.5 = 2.5 x 2.115.
TEST(ParticleSystemTest, HalfScaleAgeAndReset) {
    CTextureManager registry;
    CParticleSystem effect(registry);
    std::srand(17);
    effect.SetScale(0.5f);
    effect.Start(CVector3(7, 8, 9));
    for (int i = 0; i < 20; ++i) {
        effect.Update(0.0f);
    }
    const CParticle& last = *effect.GetFireParticle(0);
    ExpectParticle(last, 1.74f, -3.1f, 0.7f, -4.0f);
    effect.Update(0.25f); // full: everything ages, nothing is re-created
    effect.Update(0.125f);
    EXPECT_FLOAT_EQ(effect.GetAge(), 0.375f);
    EXPECT_NEAR(last.GetSize(), 5.2875f, 1e-5f);
    EXPECT_EQ(last.GetLife(), 1.74f) << "not re-created once full";
    effect.Reset();
    EXPECT_FALSE(effect.IsActive());
    EXPECT_EQ(effect.GetAge(), 0.0f);
    EXPECT_EQ(HighestEmptySlot(effect, true), 19);
    EXPECT_EQ(HighestEmptySlot(effect, false), 9);
    EXPECT_EQ(effect.GetScale(), 0.5f);
    EXPECT_EQ(effect.GetOrigin().z, 9.0f);
    effect.Start(CVector3(1, 1, 1)); // bursts again from empty slots
    effect.Update(0.0f);
    EXPECT_EQ(HighestEmptySlot(effect, true), 18);
    EXPECT_EQ(effect.GetFireParticle(19)->GetPosition().x, 1.0f);
}

// Particles live at most 1.99 s, so with 3 s steps each dies in the update after its birth:
// the effect runs until the last slot has been filled and that particle has died too.
TEST(ParticleSystemTest, RunsUntilEverySlotIsFilledAndDead) {
    CTextureManager registry;
    CParticleSystem effect(registry);
    EXPECT_TRUE(effect.IsRunning()) << "empty slots count as running";
    effect.Start(CVector3());
    for (int update = 1; update <= 20; ++update) {
        effect.Update(3.0f);
        EXPECT_TRUE(effect.IsRunning()) << update;
    }
    EXPECT_EQ(HighestEmptySlot(effect, true), -1);
    effect.Update(3.0f);
    EXPECT_FALSE(effect.IsRunning());
}

} // namespace
