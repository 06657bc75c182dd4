#include "entities/EnemySpinner.h"

#include <GL/gl.h>
#include <cstdlib>

CEnemySpinner::CEnemySpinner(CTextureManager& registry, float x, float y, float z)
    : CEnemy(registry, x, y, z) {
    angle = 0.0f;
    elapsed = 0.0f;
    period = static_cast<float>(std::rand() % 12 + 1);
    CreateExplosion(registry, CVector3(x, y, z));
}

void CEnemySpinner::Update(float dt, const CTunnel&) {
    RunClock(dt);
    FinishUpdate(dt);
}

void CEnemySpinner::RunClock(float dt) {
    elapsed += dt;
    angle = elapsed * 360.0f / period;
    if (angle >= 360.0f) {
        angle = 0.0f;
        elapsed = 0.0f;
    }
}

void CEnemySpinner::Rotate() const {
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
}
