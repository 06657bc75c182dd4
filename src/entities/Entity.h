#pragma once

#include "entities/Body.h"

#include <memory>

class CCamera;
class CMesh;
class CParticleSystem;
class CRenderSettings;
class CTunnel;

// Everything that moves: the ship, the enemies and the laser shots. Holds the body it moves,
// its mesh and texture, its explosion effect (not for shots) and the exploding mark; keeps the
// energy within 0 to 100, and owns the game's one collision test.
class CEntity {
public:
    static constexpr float kVanishAfter = 0.5f; // seconds into an explosion the mesh goes

    CEntity(); // at (0, 0, 1), facing -z with up +y, node 0
    virtual ~CEntity();
    CEntity(const CEntity&) = delete;
    CEntity& operator=(const CEntity&) = delete;

    virtual void Update(float dt, const CTunnel& tunnel) = 0; // dt in seconds
    virtual void Draw(const CCamera& camera, const CRenderSettings& settings) = 0;

    int GetEnergy() const { return body->GetEnergy(); }
    void SetEnergy(int energy); // clamped to 0 to 100
    void Damage(int points) { SetEnergy(GetEnergy() - points); }
    bool IsDead() const { return GetEnergy() <= 0; }
    bool IsExploding() const { return exploding; }
    void Explode(); // starts the effect where the entity is; only for entities with one

    const CVector3& GetPosition() const { return body->GetPosition(); }
    const CVector3& GetPreviousPosition() const { return body->GetPreviousPosition(); }
    void SetPosition(const CVector3& p) { body->SetPosition(p); }
    void SetPosition(float x, float y, float z) { body->SetPosition(CVector3(x, y, z)); }
    const CVector3& GetDirection() const { return body->GetDirection(); }
    void SetDirection(const CVector3& d) { body->SetDirection(d); }
    const CVector3& GetUp() const { return body->GetUp(); }
    void SetUp(const CVector3& u) { body->SetUp(u); }
    float GetSpeed() const { return body->GetSpeed(); }
    void SetSpeed(float speed) { body->SetSpeed(speed); }
    float GetMaxSpeed() const { return body->GetMaxSpeed(); }
    int GetNodeIndex() const { return body->GetNodeIndex(); } // never negative
    void SetNodeIndex(int index) { body->SetNodeIndex(index); }
    CBody& GetBody() { return *body; }
    const CBody& GetBody() const { return *body; }

    float GetRadius() const { return radius; } // the mesh's radius; 0 for an empty mesh
    // True when this entity, sweeping its last step from its previous position, hits the
    // other where it stands now. Not symmetric: only this entity's step is swept.
    bool Collide(const CEntity& other) const;
    // False when Collide would be false for every entity of at most otherRadius standing
    // anywhere in the box from low to high (corners, per axis low <= high): one test for many.
    bool MayReach(const CVector3& low, const CVector3& high, float otherRadius) const;
    // The same for an entity of that radius whose last step ran from `from` to `to`.
    static bool StepMayReach(const CVector3& from, const CVector3& to, float radius,
                             const CVector3& low, const CVector3& high, float otherRadius);

    const CMesh& GetMesh() const { return *mesh; }
    const CParticleSystem* GetExplosion() const { return explosion.get(); } // null for shots
    int GetTexture() const { return texture; }

protected:
    void LoadMesh(const char* path); // the entity's own mesh, its data shared through the cache
    // The mesh in the current matrix: from vertex arrays unless they are switched off.
    void DrawMesh(const CRenderSettings& settings) const;

    std::unique_ptr<CMesh> mesh;
    std::unique_ptr<CBody> body;
    std::unique_ptr<CParticleSystem> explosion;
    bool exploding = false;
    int texture = 0; // texture number from the registry

private:
    // The mesh's radius, kept here: the collision tests read it for every pair each frame.
    float radius = 0.0f;
};
