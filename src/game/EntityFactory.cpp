#include "game/EntityFactory.h"

#include "entities/EnemyChaser.h"
#include "entities/EnemyDrifter.h"
#include "entities/EnemySpinner.h"
#include "entities/Player.h"
#include "world/Tunnel.h"

#include <cstdlib>

namespace {
// A whole number from -19 to 30: a spinner's scatter around its node on one axis.
float Scatter() {
    return static_cast<float>(30 - std::rand() % 50);
}
} // namespace

CEntityFactory::CEntityFactory(CTextureManager& registry, const CTunnel& tunnel)
    : registry(&registry), tunnel(&tunnel) {}

std::unique_ptr<CPlayer> CEntityFactory::MakePlayer() const {
    return std::make_unique<CPlayer>(*registry);
}

std::unique_ptr<CEnemy> CEntityFactory::MakeEnemy(int kind) const {
    if (kind < 0 || kind >= GetKindCount()) {
        return nullptr;
    }
    const int start = tunnel->GetStartNode();
    const int finish = tunnel->GetFinishNode();
    const int node = start + std::rand() % (finish - start);
    CVector3 position = tunnel->GetNodePosition(node);
    std::unique_ptr<CEnemy> enemy;
    switch (kind) {
    case 0:
        position.x += Scatter();
        position.y += Scatter();
        position.z += Scatter();
        enemy = std::make_unique<CEnemySpinner>(*registry, position.x, position.y, position.z);
        break;
    case 1:
        enemy = std::make_unique<CEnemyDrifter>(*registry, position.x, position.y, position.z);
        break;
    default:
        enemy = std::make_unique<CEnemyChaser>(*registry, position.x, position.y, position.z);
        break;
    }
    enemy->SetNodeIndex(node);
    enemy->ComputeActivationNode(*tunnel);
    return enemy;
}
