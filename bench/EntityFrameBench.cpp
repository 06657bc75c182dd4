// One frame's logic for the densest world: a 1,500-node tunnel at difficulty 1 (1,410 enemies),
// the ship, 15 shots in flight and every collision test the game makes in a frame.

#include "GameDataDirectory.h"
#include "app/Input.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "entities/Player.h"
#include "game/EntityFactory.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

unsigned FixedSeed() {
    return 11;
}

struct SWorld {
    CGameDataDirectory data;
    CTextureManager registry;
    CTunnel tunnel{registry, &FixedSeed};
    std::unique_ptr<CPlayer> player;
    std::vector<std::unique_ptr<CEnemy>> enemies;
    std::unique_ptr<CLaser> shots[15];
    CInput input;

    explicit SWorld(int enemyCount) {
        tunnel.Generate(1, 1500);
        const CEntityFactory factory(registry, tunnel);
        player = factory.MakePlayer();
        for (int i = 0; i < enemyCount; ++i) {
            enemies.push_back(factory.MakeEnemy(i % CEntityFactory::GetKindCount()));
        }
        for (auto& shot : shots) {
            shot = std::make_unique<CLaser>(registry);
            shot->SetSpeed(600.0f);
        }
    }

    void Frame(float dt) {
        player->Steer(input, dt);
        player->Update(dt, tunnel);
        for (const auto& enemy : enemies) {
            if (!enemy->IsDead()) {
                enemy->Track(player->GetBody());
                enemy->Update(dt, tunnel);
            }
        }
        for (const auto& shot : shots) {
            shot->Update(dt, tunnel);
        }
        int hits = 0;
        for (const auto& shot : shots) {
            for (const auto& enemy : enemies) {
                hits += !enemy->IsExploding() && enemy->Collide(*shot);
            }
        }
        for (const auto& enemy : enemies) {
            hits += !enemy->IsExploding() && player->Collide(*enemy);
        }
        benchmark::DoNotOptimize(hits);
    }
};

void FrameUpdates(benchmark::State& state) {
    SWorld world(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        world.Frame(1.0f / 60.0f);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(FrameUpdates)->Arg(350)->Arg(705)->Arg(1410)->Complexity(benchmark::oN);

} // namespace
