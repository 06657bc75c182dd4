#pragma once

#include "render/AssetTable.h"

#include "entities/Entity.h"

#include <cstddef>

class CTextureManager;

// An enemy craft: an obstacle and a target placed along the course. It picks one of nine
// meshes and one of fourteen skins at random, moves by its kind (Track, then Update), and is
// dead once its explosion has died out.
class CEnemy : public CEntity {
public:
    ~CEnemy() override; // virtual, so a chaser deleted as an enemy releases its sound

    virtual void Track(const CBody& shipBody) = 0; // before Update, while not dead
    // The frames it sat out while nothing near could matter, their steps and the ship's node
    // in each, in order: it kept time and hovered as Track and Update would have had it.
    void SitOut(const float* steps, const int* shipNodes, std::size_t count);
    void Draw(const CCamera& camera, const CRenderSettings& settings) override;

    // The node 1500 path units before the enemy's own (whole node lengths), or node 0.
    void ComputeActivationNode(const CTunnel& tunnel);
    int GetActivationNode() const { return activationNode; }

    // The craft and skins an enemy picks from: the asset table's Enemy1... meshes and
    // enemy_1... textures.
    static constexpr int kMeshCount = CAssetTable::CountNumbered(CAssetTable::EKind::Mesh, "Enemy");
    static constexpr int kSkinCount =
        CAssetTable::CountNumbered(CAssetTable::EKind::Texture, "enemy_");

protected:
    // Draws the mesh and skin choices, loads the mesh, places the enemy at the spawn point.
    CEnemy(CTextureManager& registry, float x, float y, float z);

    // The explosion effect waits at the spawn point; made after the kind's own draws.
    void CreateExplosion(CTextureManager& registry, const CVector3& spawn);
    void FinishUpdate(float dt);         // effect update; dead once an explosion has died out
    virtual void Rotate() const = 0;     // the kind's turn, in degrees, about the mesh origin
    virtual void RunClock(float dt) = 0; // the kind's clock, as Update moves it
    // Whether Track hovers with the ship far away on that node; a hover sets the whole
    // position from the clock.
    virtual bool Hovers(int shipNode) const = 0;
    virtual void Hover() {}

private:
    int activationNode = 0;
};
