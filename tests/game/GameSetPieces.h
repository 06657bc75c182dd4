#pragma once

// Setting up moments of a game for the rule tests, windowed or not: enemies placed or taken out
// of play, the ship flown to a node. `frame` runs one frame of the game.

#include "app/Input.h"
#include "entities/Enemy.h"
#include "entities/Player.h"
#include "game/Game.h"

#include <cstddef>

inline CEnemy& EnemyOf(const CGame& game, std::size_t index) {
    return *game.GetEnemies().at(index);
}

// Every enemy but the first `kept` explodes: shots, rams and P mode pass exploding ones by.
inline void ExplodeAllBut(const CGame& game, std::size_t kept) {
    for (std::size_t i = kept; i < game.GetEnemies().size(); ++i) {
        EnemyOf(game, i).Explode();
    }
}

// Puts an enemy at a point and makes that point its anchor, which a drifter hovers around.
inline void Place(CEnemy& enemy, const CVector3& point) {
    enemy.SetPosition(point);
    enemy.GetBody().SavePrevious();
}

// Holds space until the ship reaches the node, then stops it there.
template <typename RunFrame> void FlyToNode(CGame& game, CInput& input, int node, RunFrame frame) {
    input.KeyDown(' ', 0, 0);
    for (int i = 0; i < 3000 && game.GetPlayer()->GetNodeIndex() < node; ++i) {
        frame();
    }
    input.KeyUp(' ', 0, 0);
    game.GetPlayer()->SetSpeed(0.0f);
    frame();
}
