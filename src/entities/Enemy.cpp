#include "entities/Enemy.h"

#include "fx/ParticleSystem.h"
#include "render/AssetTable.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>

namespace {

static_assert(CEnemy::kMeshCount == 9 && CEnemy::kSkinCount == 14,
              "the enemies' random draws, and so every world, depend on these counts");

constexpr int kActivationDistance = 1500; // path units before the enemy

} // namespace

CEnemy::CEnemy(CTextureManager& registry, float x, float y, float z) {
    const int meshChoice = std::rand() % kMeshCount;
    const int skinChoice = std::rand() % kSkinCount;
    char name[16];
    std::snprintf(name, sizeof(name), "Enemy%d", meshChoice + 1);
    LoadMesh(CAssetTable::GetMeshPath(name));
    std::snprintf(name, sizeof(name), "enemy_%d", skinChoice + 1);
    texture = registry.Find(name);
    SetPosition(x, y, z);
}

CEnemy::~CEnemy() = default;

void CEnemy::CreateExplosion(CTextureManager& registry, const CVector3& spawn) {
    explosion = std::make_unique<CParticleSystem>(registry);
    explosion->SetOrigin(spawn);
}

void CEnemy::ComputeActivationNode(const CTunnel& tunnel) {
    int node = GetNodeIndex();
    int remaining = kActivationDistance;
    while (node > 0 && remaining > 0) {
        --node;
        const CPathNode* pathNode = tunnel.GetPath().GetNode(node);
        const float length = pathNode != nullptr ? pathNode->length : 0.0f;
        remaining = static_cast<int>(static_cast<float>(remaining) - length);
    }
    activationNode = node;
}

void CEnemy::SitOut(const float* steps, const int* shipNodes, std::size_t count) {
    // Only the last frame of each run of hovering frames needs its hover worked out.
    bool hovers = count > 0 && Hovers(shipNodes[0]);
    for (std::size_t frame = 0; frame < count; ++frame) {
        const bool hoversNext = frame + 1 < count && Hovers(shipNodes[frame + 1]);
        if (hovers && !hoversNext) {
            Hover();
        }
        RunClock(steps[frame]);
        hovers = hoversNext;
    }
}

void CEnemy::FinishUpdate(float dt) {
    explosion->Update(dt);
    if (exploding && !explosion->IsRunning()) {
        SetEnergy(0);
    }
}

void CEnemy::Draw(const CCamera& camera, const CRenderSettings& settings) {
    if (IsDead()) {
        return;
    }
    if (explosion->GetAge() < kVanishAfter) {
        const CVector3& p = GetPosition();
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(p.x, p.y, p.z);
        Rotate();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        DrawMesh(settings);
        glPopMatrix();
    }
    if (exploding) {
        explosion->Draw(camera, settings);
    }
}
