#include "entities/Enemy.h"

#include "fx/ParticleSystem.h"
#include "render/AssetTable.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/gl.h>
#include <cstdlib>

namespace {

const char* const kMeshNames[CEnemy::kMeshCount] = {
    "Enemy1", "Enemy2", "Enemy3", "Enemy4", "Enemy5", "Enemy6", "Enemy7", "Enemy8", "Enemy9"};

const char* const kSkinNames[CEnemy::kSkinCount] = {
    "enemy_1", "enemy_2", "enemy_3",  "enemy_4",  "enemy_5",  "enemy_6",  "enemy_7",
    "enemy_8", "enemy_9", "enemy_10", "enemy_11", "enemy_12", "enemy_13", "enemy_14"};

constexpr int kActivationDistance = 1500; // path units before the enemy

} // namespace

CEnemy::CEnemy(CTextureManager& registry, float x, float y, float z) {
    const int meshChoice = std::rand() % kMeshCount;
    const int skinChoice = std::rand() % kSkinCount;
    LoadMesh(CAssetTable::GetMeshPath(kMeshNames[meshChoice]));
    texture = registry.Find(kSkinNames[skinChoice]);
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
