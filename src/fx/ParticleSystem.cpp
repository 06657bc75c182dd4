#include "fx/ParticleSystem.h"

#include "app/RenderSettings.h"
#include "render/Camera.h"
#include "render/SpriteBatch.h"
#include "render/TextureManager.h"
#include "render/Translucency.h"

#include <GL/gl.h>
#include <cstdlib>

const CParticleSystem::SKind CParticleSystem::kFire = {10, 0.2, 0.25f, 15, 4};
const CParticleSystem::SKind CParticleSystem::kSmoke = {5, 0.1, 1.0f / 3.0f, 8, 3};

namespace {

int DrawHundredth() {
    return std::rand() % 100;
}

int DrawFireCount() {
    return std::rand() % 10 + 1;
}

// 1 to 9 evenly, and 10 six times as often: the draws of 10 to 14 all become 10.
int DrawSmokeCount() {
    int count = std::rand() % 15;
    if (count >= 10) {
        count = 9;
    }
    return count + 1;
}

} // namespace

CParticleSystem::CParticleSystem(const CTextureManager& registry)
    : registry(&registry), fireTexture(registry.Find("explosion")),
      smokeTexture(registry.Find("smoke")) {}

void CParticleSystem::SetScale(float value) {
    scale = value;
}

void CParticleSystem::SetOrigin(const CVector3& position) {
    origin = position;
}

void CParticleSystem::Start(const CVector3& position) {
    origin = position;
    active = true;
}

void CParticleSystem::Update(float dt) {
    if (!active) {
        return;
    }
    age += dt;
    // The order of the rand() draws is fixed: fire count, fire particles, smoke count, smoke.
    const int freeFire = GrowAll(fire.data(), kFireSlots, dt);
    Spawn(fire.data(), kFireSlots, freeFire, DrawFireCount(), kFire);
    const int freeSmoke = GrowAll(smoke.data(), kSmokeSlots, dt);
    Spawn(smoke.data(), kSmokeSlots, freeSmoke, DrawSmokeCount(), kSmoke);
    // Particles born in this update move by its dt too.
    MoveAll(fire.data(), kFireSlots, dt, kFire);
    MoveAll(smoke.data(), kSmokeSlots, dt, kSmoke);
}

int CParticleSystem::GrowAll(Slot* slots, int slotCount, float dt) {
    int freeSlot = -1;
    for (int i = 0; i < slotCount; ++i) {
        if (slots[i]) {
            slots[i]->Grow(dt, scale);
        } else {
            freeSlot = i;
        }
    }
    return freeSlot;
}

// Fills the free slot and re-creates up to count - 1 particles above it. Slots fill from the
// top, so a free slot means every slot above it is taken: the burst keeps renewing its newest
// particles until the lowest slot is filled, and then spawns nothing more.
void CParticleSystem::Spawn(Slot* slots, int slotCount, int freeSlot, int count,
                            const SKind& kind) {
    if (freeSlot < 0) {
        return;
    }
    for (int slot = freeSlot; slot < slotCount && slot < freeSlot + count; ++slot) {
        slots[slot] = NewParticle(kind);
    }
}

CParticleSystem::Slot CParticleSystem::NewParticle(const SKind& kind) const {
    // One statement per draw: the order life, x, y, z is part of the world a seed gives. Each
    // value is worked out in double, as the decimal constants make it, and then stored.
    const float life = static_cast<float>(DrawHundredth() * 0.01 + 1);
    CVector3 velocity;
    velocity.x = static_cast<float>(kind.speed - DrawHundredth() * kind.spread);
    velocity.y = static_cast<float>(kind.speed - DrawHundredth() * kind.spread);
    velocity.z = static_cast<float>(kind.speed - DrawHundredth() * kind.spread);
    return std::make_unique<CParticle>(origin, velocity.Scaled(scale), life, kind.cellSize);
}

void CParticleSystem::MoveAll(Slot* slots, int slotCount, float dt, const SKind& kind) {
    for (int i = 0; i < slotCount; ++i) {
        if (slots[i]) {
            slots[i]->Move(dt);
            slots[i]->Animate(kind.lastFrame, kind.columns);
        }
    }
}

bool CParticleSystem::IsRunning() const {
    for (const Slot& slot : fire) {
        if (!slot || slot->IsAlive()) {
            return true;
        }
    }
    for (const Slot& slot : smoke) {
        if (!slot || slot->IsAlive()) {
            return true;
        }
    }
    return false;
}

void CParticleSystem::Draw(const CCamera& camera, const CRenderSettings& settings) const {
    if (!active) {
        return;
    }
    const bool translucent = settings.GetNoAlpha() == 0;
    if (translucent) {
        TrackDiffuseColour();
        BeginTranslucency();
    }
    const CVector3& up = camera.GetUp();
    const CVector3 right = camera.GetDirection().Cross(up);
    const bool filled = settings.GetSolidFill() == 1;
    // Under the alpha test the squares' clear texels leave no fragment: they may be trimmed.
    const bool trim = translucent && filled;
    DrawAll(fire.data(), kFireSlots, fireTexture, filled, trim, right, up);
    DrawAll(smoke.data(), kSmokeSlots, smokeTexture, filled, trim, right, up);
    if (translucent) {
        EndTranslucency();
    }
}

// No colour is set: the squares show the sprite sheet's own colours and alpha.
void CParticleSystem::DrawAll(const Slot* slots, int slotCount, int texture, bool filled, bool trim,
                              const CVector3& right, const CVector3& up) const {
    if (filled) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    CSpriteBatch batch(trim ? registry->Get(texture) : nullptr, trim);
    for (int i = 0; i < slotCount; ++i) {
        if (slots[i]) {
            const CParticle& particle = *slots[i];
            batch.Square(particle.GetPosition(), particle.GetSize(), right, up, particle.GetCell());
        }
    }
    batch.End();
}

void CParticleSystem::Reset() {
    for (Slot& slot : fire) {
        slot.reset();
    }
    for (Slot& slot : smoke) {
        slot.reset();
    }
    active = false;
    age = 0.0f;
}

const CParticle* CParticleSystem::GetFireParticle(int slot) const {
    return slot >= 0 && slot < kFireSlots ? fire[slot].get() : nullptr;
}

const CParticle* CParticleSystem::GetSmokeParticle(int slot) const {
    return slot >= 0 && slot < kSmokeSlots ? smoke[slot].get() : nullptr;
}
