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

// One particle's four draws, in the order life, x, y, z, from the tape at `at`: each value
// exactly as the C expression gives it (in double, for its decimal constant), then stored.
void ExpectDrawnFrom(const std::vector<int>& tape, size_t& at, const CParticle& particle, int speed,
                     double spread, float scale) {
    EXPECT_EQ(particle.GetLife(), static_cast<float>(tape[at++] % 100 * 0.01 + 1));
    const float v[3] = {particle.GetVelocity().x, particle.GetVelocity().y,
                        particle.GetVelocity().z};
    for (float component : v) {
        EXPECT_EQ(component, static_cast<float>(speed - tape[at++] % 100 * spread) * scale);
    }
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

// Each update fills the next lower slot and re-creates count - 1 particles above it, so fire
// fills in 20 updates and smoke in 10. The tape says which draw fed which particle.
TEST(ParticleSystemTest, SlotsFillOneLowerPerUpdateReCreatingAboveUntilFull) {
    CTextureManager registry;
    for (unsigned seed : {1u, 5u, 29u}) {
        SCOPED_TRACE(seed);
        CParticleSystem effect(registry);
        const std::vector<int> tape = Tape(seed);
        size_t at = 0;
        effect.Start(CVector3(1, 2, 3));
        for (int update = 0; update < 22; ++update) {
            SCOPED_TRACE(update);
            const int freeFire = HighestEmptySlot(effect, true);
            const int freeSmoke = HighestEmptySlot(effect, false);
            effect.Update(0.5f);
            const int fireCount = tape[at++] % 10 + 1;
            const int fireEnd = freeFire < 0 ? -1 : std::min(20, freeFire + fireCount);
            for (int slot = std::max(freeFire, 0); slot < 20; ++slot) {
                const CParticle& p = *effect.GetFireParticle(slot);
                EXPECT_EQ(p.GetAge() == 0.0f, slot < fireEnd) << "fire slot " << slot;
                if (slot < fireEnd) {
                    ExpectDrawnFrom(tape, at, p, 10, 0.2, 1.0f);
                    EXPECT_FLOAT_EQ(p.GetPosition().x, 1.0f + 0.5f * p.GetVelocity().x);
                    EXPECT_EQ(p.GetSize(), 5.0f); // born this update: moved, not grown
                }
            }
            const int smokeCount = std::min(tape[at++] % 15, 9) + 1;
            const int smokeEnd = freeSmoke < 0 ? -1 : std::min(10, freeSmoke + smokeCount);
            for (int slot = std::max(freeSmoke, 0); slot < 10; ++slot) {
                const CParticle& p = *effect.GetSmokeParticle(slot);
                EXPECT_EQ(p.GetAge() == 0.0f, slot < smokeEnd) << "smoke slot " << slot;
                if (slot < smokeEnd) {
                    ExpectDrawnFrom(tape, at, p, 5, 0.1, 1.0f);
                }
            }
            EXPECT_EQ(HighestEmptySlot(effect, true), std::max(freeFire - 1, -1));
            EXPECT_EQ(HighestEmptySlot(effect, false), std::max(freeSmoke - 1, -1));
        }
        EXPECT_EQ(std::rand(), tape[at]) << "a full system still draws its two counts";
    }
}

TEST(ParticleSystemTest, HalfScaleAgeAndReset) {
    CTextureManager registry;
    CParticleSystem effect(registry);
    const std::vector<int> tape = Tape(17);
    effect.SetScale(0.5f);
    effect.Start(CVector3(7, 8, 9));
    effect.Update(0.0f);
    size_t at = 1;
    ExpectDrawnFrom(tape, at, *effect.GetFireParticle(19), 10, 0.2, 0.5f);
    for (int i = 1; i < 20; ++i) {
        effect.Update(0.0f);
    }
    effect.Update(0.25f); // full: everything ages, nothing is re-created
    effect.Update(0.125f);
    EXPECT_FLOAT_EQ(effect.GetAge(), 0.375f);
    for (int slot = 0; slot < CParticleSystem::kFireSlots; ++slot) {
        const CParticle& fire = *effect.GetFireParticle(slot);
        EXPECT_FLOAT_EQ(fire.GetSize(), 2.5f * (0.375f + fire.GetLife()));
    }
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
