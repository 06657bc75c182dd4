#include "entities/EnemyChaser.h"

#include "render/AssetTable.h"
#include "sound/Sound.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr float kChaseRange = 400.0f; // closer than this, the chaser comes at the ship
constexpr float kBeepRange = 20.0f;
constexpr float kStepPerFrame = 10.0f; // per frame, not per second
// The chirps R2D2_1... of the asset table, one drawn at random per chaser.
constexpr int kChirpCount = CAssetTable::CountNumbered(CAssetTable::EKind::Sound, "R2D2_");
static_assert(kChirpCount == 5, "every world's random draws depend on this count");
} // namespace

CEnemyChaser::CEnemyChaser(CTextureManager& registry, float x, float y, float z)
    : CEnemyDrifter(registry, x, y, z) {
    char name[32];
    std::snprintf(name, sizeof(name), "R2D2_%d", std::rand() % kChirpCount + 1);
    beepSound = std::make_unique<CSound>(CAssetTable::GetSoundPath(name));
    beeped = false;
}

CEnemyChaser::~CEnemyChaser() = default;

bool CEnemyChaser::Hovers(int shipNode) const {
    return !exploding && shipNode < GetNodeIndex(); // else it stays put, as Track leaves it
}

void CEnemyChaser::Track(const CBody& shipBody) {
    if (exploding || shipBody.GetNodeIndex() >= GetNodeIndex()) {
        return; // the ship has reached or passed it: it stays put
    }
    const CVector3 toShip = shipBody.GetPosition().Subtract(GetPosition());
    const float distance = toShip.Length();
    if (distance >= kChaseRange) {
        Hover();
        return;
    }
    if (distance > 0.0f) { // right on the ship there is no way to go
        CVector3 step = toShip;
        step.DivideBy(distance);
        SetPosition(GetPosition().Added(step.Scaled(kStepPerFrame)));
    }
    if (distance < kBeepRange && !beeped) {
        beeped = true;
        beepSound->PlayOnce();
    }
}
