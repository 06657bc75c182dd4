#pragma once

#include "entities/Entity.h"

class CInput;
class CSound;
class CTextureManager;
struct CPathNode;

// The player's ship. It rides the tunnel path: a node and the distance past it, a drop below
// the axis, a roll around it and a speed. Keys change the speed along fixed curves, the drop,
// and two steering impulses that decay frame by frame into a turn rate. With no energy left it
// coasts to a stop, explodes and comes back with full energy 5 seconds later.
class CPlayer : public CEntity {
public:
    // Where the ship sits relative to its path node, all that its model matrix needs.
    struct SPathPose {
        float along = 0.0f;    // past the node, toward the next
        float offset = 0.0f;   // below the axis in the rolled frame
        float roll = 0.0f;     // degrees around the axis
        float turnRate = 0.0f; // this frame's; the bank is twice it
        float nose = 0.0f;     // degrees: the tilt, or the tumble while exploding
    };

    explicit CPlayer(CTextureManager& registry);
    ~CPlayer() override;

    void Steer(const CInput& input, float dt); // before Update, every frame
    void Update(float dt, const CTunnel& tunnel) override;
    void Draw(const CCamera& camera, const CRenderSettings& settings) override;
    void SelfDestruct(); // silent warnings, energy 0, the self-destruct sound

    float GetTurnLevel() const { return turnLevel; } // -3 to 3, for the HUD
    float GetExplosionTimer() const { return explosionTimer; }
    float GetTurnRate() const { return turnRate; }
    SPathPose GetPathPose() const;
    bool IsShown() const { return explosionTimer < kVanishAfter; } // drawn this frame
    // The model matrix of a ship at that pose past that node, in OpenGL column order.
    static void ComputeModelMatrix(const SPathPose& pose, const CPathNode& node, float* model);
    bool HasWarningStarted() const { return warningStarted; }
    bool HasAlertStarted() const { return alertStarted; }

    void Accelerate(float dt); // 250 units/s each second, up to 500
    void Decelerate(float dt); // 500 units/s each second, down to 0

    static constexpr float kMaxSpeed = 500.0f;

private:
    void SoundEnergyWarnings();
    void TravelAlongPath(float dt, const CTunnel& tunnel);
    void KeepOffTheWall(const CTunnel& tunnel);
    void TurnFromImpulses();
    void PlaceInTunnel(float dt, const CPathNode& node);
    static void ComputeRowMajorModel(const SPathPose& pose, const CPathNode& node, float* model);
    void ExplodeAndRestart(float dt);

    float explosionTimer = 0.0f; // seconds since the explosion began; 0 while not exploding
    bool warningStarted = false;
    bool alertStarted = false;
    float spinAngle = 0.0f; // degrees of tumbling while exploding
    float noseAngle = 0.0f; // this frame's: the tilt or the tumble
    std::unique_ptr<CSound> warningSound;
    std::unique_ptr<CSound> alertSound;
    std::unique_ptr<CSound> selfDestructSound;
    float turnLevel = 0.0f;
    float turnRate = 0.0f; // this frame's, degrees of bank / 2
};
