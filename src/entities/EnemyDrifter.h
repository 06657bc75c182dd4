#pragma once

#include "entities/Enemy.h"

// Hovers around its spawn point on two sine curves while tumbling. The spawn point is kept as
// the body's previous position, which is why a drifter's collision sweep starts there.
class CEnemyDrifter : public CEnemy {
public:
    CEnemyDrifter(CTextureManager& registry, float x, float y, float z);

    void Update(float dt, const CTunnel& tunnel) override;
    void Track(const CBody& shipBody) override; // hovers; the ship is not looked at

    float GetTime() const { return time; }
    float GetFrequencyX() const { return frequencyX; }
    float GetFrequencyY() const { return frequencyY; }
    float GetOffsetFactorX() const { return offsetFactorX; }

protected:
    void Rotate() const override;
    void RunClock(float dt) override;
    bool Hovers(int) const override { return true; }
    void Hover() override;

private:
    float time = 0.0f;          // seconds since spawn
    float frequencyX = 1.0f;    // 1.00 to 4.96
    float frequencyY = 1.0f;    // 1.00 to 4.96; also shifts y
    float offsetFactorX = 1.0f; // 1.00 to 4.96; shifts x
};
