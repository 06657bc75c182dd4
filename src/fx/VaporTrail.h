#pragma once

#include "fx/VaporPuff.h"

#include <array>
#include <memory>

class CCamera;
class CRenderSettings;
class CTextureManager;

// The fading cyan trail behind the ship: every update lays new puffs evenly along the ship's
// last step, newest at the ship, ages the others and drops those older than 0.02 seconds.
// At most 200 puffs exist at once.
class CVaporTrail {
public:
    static constexpr int kSlotCount = 200;
    static constexpr float kLifetime = 0.02f; // seconds; older puffs go at the next update

    explicit CVaporTrail(const CTextureManager& registry); // looks up "vaportail"

    void SetPosition(const CVector3& position); // the ship's, once a frame; the last one is kept
    void SetPuffsPerUpdate(int count);          // 0 or less lays nothing
    // dt in seconds: ages and drops puffs, then lays up to puffs-per-update new ones.
    void Update(float dt);
    // The camera is unused: the squares face along the model-view's first two rows. Leaves the
    // texture environment GL_MODULATE and the current colour that of the last puff; with alpha
    // on, alpha test and colour material enabled, blending off and depth writes on.
    void Draw(const CCamera& camera, const CRenderSettings& settings) const;

    const CVaporPuff* GetPuff(int slot) const; // null when empty or not 0 to 199
    int GetPuffCount() const;
    int GetLastFreeSlot() const { return lastFreeSlot; } // -1 when all 200 were taken
    int GetTexture() const { return texture; }           // texture number, 0 when not found

private:
    using Slot = std::unique_ptr<CVaporPuff>;

    void AgeAndDrop(float dt);
    void Lay(float dt);

    std::array<Slot, kSlotCount> slots;
    int lastFreeSlot = 0;
    const CTextureManager* registry; // for the puff's alpha coverage, after any reload
    int texture;
    CVector3 previousPosition;
    CVector3 currentPosition;
    int puffsPerUpdate = 2;
};
