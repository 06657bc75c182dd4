#pragma once

#include "fx/Particle.h"

#include <array>
#include <memory>

class CCamera;
class CRenderSettings;
class CTextureManager;

// The explosion of one entity: up to 20 fire and 10 smoke particles that burst from the origin,
// drawn as squares facing the camera from the "explosion" (4 x 4 cells) and "smoke" (3 x 3)
// sprite sheets. Slots fill from the top down over the first updates and are never refilled
// until Reset, so a burst runs once. Every draw comes from rand(), in a fixed order, so one seed
// gives one explosion.
class CParticleSystem {
public:
    static constexpr int kFireSlots = 20;
    static constexpr int kSmokeSlots = 10;

    // Empty slots, inactive, age 0, scale 1, origin (0, 0, 0); looks up "explosion", then "smoke".
    explicit CParticleSystem(const CTextureManager& registry);

    void SetScale(float value); // sizes and spawn speeds; 1 by default, 0.5 for the ship
    float GetScale() const { return scale; }
    void SetOrigin(const CVector3& position); // where new particles appear; nothing else
    const CVector3& GetOrigin() const { return origin; }
    void Start(const CVector3& position); // origin = position, active; the slots stay as they are
    bool IsActive() const { return active; }

    // dt in seconds; nothing while inactive. Ages, spawns, moves and animates.
    void Update(float dt);
    float GetAge() const { return age; } // seconds of updates since the last reset
    // False only once every one of the 30 slots holds a particle and all of them are dead.
    bool IsRunning() const;
    // Nothing while inactive. Leaves the texture environment GL_REPLACE when filled; with alpha
    // on, leaves alpha test and colour material enabled, blending off and depth writes on.
    void Draw(const CCamera& camera, const CRenderSettings& settings) const;
    // Destroys every particle, inactive, age 0; origin and scale stay.
    void Reset();

    const CParticle* GetFireParticle(int slot) const;  // null when empty or not 0 to 19
    const CParticle* GetSmokeParticle(int slot) const; // null when empty or not 0 to 9

private:
    using Slot = std::unique_ptr<CParticle>;
    // How one kind of particle is drawn at random and animated.
    struct SKind {
        int speed; // each velocity component is speed - r100 x spread, in double
        double spread;
        float cellSize; // one cell of the sprite sheet, in texture units
        int lastFrame;  // frames 0 to lastFrame over the particle's life
        int columns;    // the sheet is columns x columns cells
    };
    static const SKind kFire;
    static const SKind kSmoke;

    int GrowAll(Slot* slots, int slotCount, float dt); // returns the highest empty slot or -1
    void Spawn(Slot* slots, int slotCount, int freeSlot, int count, const SKind& kind);
    Slot NewParticle(const SKind& kind) const;
    static void MoveAll(Slot* slots, int slotCount, float dt, const SKind& kind);
    void DrawAll(const Slot* slots, int slotCount, int texture, bool filled, bool trim,
                 const CVector3& right, const CVector3& up) const;

    std::array<Slot, kFireSlots> fire;
    std::array<Slot, kSmokeSlots> smoke;
    const CTextureManager* registry; // for the sheets' alpha coverage, after any reload
    int fireTexture;
    int smokeTexture;
    float scale = 1.0f;
    CVector3 origin;
    bool active = false;
    float age = 0.0f;
};
