#include "fx/Particle.h"

#include <cmath>

CParticle::CParticle(const CVector3& origin, const CVector3& velocity, float life, float cellSize)
    : position(origin), velocity(velocity), life(life), cellSize(cellSize) {}

void CParticle::Grow(float dt, float scale) {
    if (!IsAlive()) {
        return;
    }
    age += dt;
    size = (age * 5.0f / life + 5.0f) * life * scale;
}

void CParticle::Move(float dt) {
    position.x += dt * velocity.x;
    position.y += dt * velocity.y;
    position.z += dt * velocity.z;
}

void CParticle::Animate(int lastFrame, int columns) {
    // Checked as a float first: a frame far outside the sheet must not overflow the int.
    const float frame = std::floor(age / life * static_cast<float>(lastFrame));
    if (!(frame >= 0.0f && frame <= static_cast<float>(lastFrame))) {
        return;
    }
    const int cell = static_cast<int>(frame);
    cellColumn = static_cast<float>(cell % columns);
    // The sheet's first frame sits in its top row, which has the highest v.
    cellRow = static_cast<float>(columns - 1 - cell / columns);
}

CAlphaCoverage::SRect CParticle::GetCell() const {
    return {cellColumn * cellSize, cellRow * cellSize, (cellColumn + 1.0f) * cellSize,
            (cellRow + 1.0f) * cellSize};
}
