#pragma once

#include "entities/Entity.h"

class CSound;
class CTextureManager;

// One laser bolt: flies straight along its direction for 0.7 seconds, then it is dead and the
// game deletes it. It sounds once when made and passes through whatever it hits.
class CLaser : public CEntity {
public:
    explicit CLaser(CTextureManager& registry); // plays the shot sound at once
    ~CLaser() override;

    void Update(float dt, const CTunnel& tunnel) override; // the tunnel is not used
    void Draw(const CCamera& camera, const CRenderSettings& settings) override;

    float GetAge() const { return age; } // seconds of flight

    static constexpr float kLifetime = 0.7f; // seconds

private:
    std::unique_ptr<CSound> shotSound;
    float age = 0.0f;
};
