#pragma once

#include "render/AlphaCoverage.h"
#include "world/Vector3.h"

// One square of the vapour trail: it stays where it was laid and grows with its age.
class CVaporPuff {
public:
    static constexpr CAlphaCoverage::SRect kWholeTexture = {0.0f, 0.0f, 1.0f, 1.0f};

    CVaporPuff(const CVector3& position, float age); // age in seconds; size from it

    void Grow(float dt); // age += dt seconds, size follows
    // Cyan, fading out with age (alpha 1 - age x 50): the colour of the puff's square, which
    // the trail sends through its sprite batch.
    void SetColour() const;
    float GetAlpha() const { return 1.0f - age * 50.0f; } // before OpenGL clamps it

    const CVector3& GetPosition() const { return position; }
    float GetSize() const { return size; } // half the edge: age x 40 + 0.1
    float GetAge() const { return age; }   // seconds since laid

private:
    // age x 40 in float, then + 0.1 in double: the C expression age * 40 + 0.1 as written.
    void UpdateSize() { size = static_cast<float>(age * 40.0f + 0.1); }

    CVector3 position;
    float size = 0.0f;
    float age;
};
