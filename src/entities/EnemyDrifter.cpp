#include "entities/EnemyDrifter.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdlib>

namespace {
// Worked out in double and then stored, as the C expression (rand() % 100) * 0.01 * 4 + 1 does:
// in float, a fifth of the draws would land one unit in the last place away.
float RandomFactor() {
    return static_cast<float>((std::rand() % 100) * 0.01 * 4 + 1);
}
constexpr double kPi = 3.1415927;
} // namespace

CEnemyDrifter::CEnemyDrifter(CTextureManager& registry, float x, float y, float z)
    : CEnemy(registry, x, y, z) {
    body->SavePrevious(); // the anchor of the hovering
    time = 0.0f;
    frequencyX = RandomFactor();
    frequencyY = RandomFactor();
    offsetFactorX = RandomFactor();
    CreateExplosion(registry, CVector3(x, y, z));
}

void CEnemyDrifter::Update(float dt, const CTunnel&) {
    RunClock(dt);
    FinishUpdate(dt);
}

void CEnemyDrifter::RunClock(float dt) {
    time += dt;
}

void CEnemyDrifter::Track(const CBody&) {
    Hover();
}

void CEnemyDrifter::Hover() {
    if (exploding) {
        return;
    }
    const CVector3& anchor = GetPreviousPosition();
    const double x =
        anchor.x + 10.0 * std::sin(kPi * frequencyX * time) + 20.0 - 10.0 * offsetFactorX;
    const double y = anchor.y + 10.0 * std::sin(kPi * frequencyY * time) + 20.0 - 10.0 * frequencyY;
    SetPosition(static_cast<float>(x), static_cast<float>(y), anchor.z);
}

void CEnemyDrifter::Rotate() const {
    glRotatef(time * 180.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(time * 240.0f, 0.0f, 1.0f, 0.0f);
}
