#pragma once

#include <memory>

class CEnemy;
class CPlayer;
class CTextureManager;
class CTunnel;

// Makes the ship and the enemies, placing each enemy at a random node of the course. Owns
// nothing: what it makes belongs to the caller.
class CEntityFactory {
public:
    CEntityFactory(CTextureManager& registry, const CTunnel& tunnel);

    std::unique_ptr<CPlayer> MakePlayer() const;
    // Kind 0 spinner (scattered around the node), 1 drifter, 2 chaser; null for other kinds.
    std::unique_ptr<CEnemy> MakeEnemy(int kind) const;
    static int GetKindCount() { return 3; }

private:
    CTextureManager* registry;
    const CTunnel* tunnel;
};
