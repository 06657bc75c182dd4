#pragma once

#include "entities/Enemy.h"

// Stays where it was placed and turns about the vertical axis, one turn every 1 to 12 seconds.
class CEnemySpinner : public CEnemy {
public:
    CEnemySpinner(CTextureManager& registry, float x, float y, float z);

    void Update(float dt, const CTunnel& tunnel) override;
    void Track(const CBody&) override {} // spinners ignore the ship

    float GetAngle() const { return angle; }
    float GetPeriod() const { return period; }

protected:
    void Rotate() const override;
    void RunClock(float dt) override;
    bool Hovers(int) const override { return false; }

private:
    float angle = 0.0f;   // degrees
    float period = 1.0f;  // seconds per turn, a whole number 1 to 12
    float elapsed = 0.0f; // seconds into the current turn
};
