#include "game/EntityFactory.h"
#include "GameDataDirectory.h"
#include "entities/Enemy.h"
#include "entities/EnemyChaser.h"
#include "entities/EnemySpinner.h"
#include "entities/Player.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <typeinfo>

namespace {

unsigned SeedFive() {
    return 5;
}

class EntityFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        tunnel.Generate(3, 500);
        testing::internal::GetCapturedStdout();
    }

    CGameDataDirectory data;
    CTextureManager registry;
    CTunnel tunnel{registry, &SeedFive};
    CEntityFactory factory{registry, tunnel};
};

TEST_F(EntityFactoryTest, KindsAreSpinnerDrifterChaserOnTheCourseAndOnlySpinnersAreScattered) {
    const std::type_info* const kClassOfKind[] = {&typeid(CEnemySpinner), &typeid(CEnemyDrifter),
                                                  &typeid(CEnemyChaser)};
    ASSERT_EQ(tunnel.GetFinishNode(), tunnel.GetRingCount() - 90);
    for (int i = 0; i < 60; ++i) {
        const int kind = i % CEntityFactory::GetKindCount();
        const std::unique_ptr<CEnemy> enemy = factory.MakeEnemy(kind);
        ASSERT_NE(enemy, nullptr);
        const CEnemy& made = *enemy;
        EXPECT_TRUE(typeid(made) == *kClassOfKind[kind]) << "kind " << kind;
        const int node = enemy->GetNodeIndex();
        EXPECT_GE(node, tunnel.GetStartNode());
        EXPECT_LT(node, tunnel.GetFinishNode());
        EXPECT_LE(enemy->GetActivationNode(), node);
        const CVector3 offset = enemy->GetPosition().Subtract(tunnel.GetNodePosition(node));
        if (kind == 0) {
            for (float component : {offset.x, offset.y, offset.z}) {
                EXPECT_GE(component, -19.0f);
                EXPECT_LE(component, 30.0f);
                EXPECT_NEAR(component, std::round(component), 0.01f);
            }
        } else {
            EXPECT_EQ(offset.Length(), 0.0f);
        }
    }
}

// The game draws kinds as rand() % GetKindCount(): the count must reach the chaser, the last
// kind, and stop there.
TEST_F(EntityFactoryTest, TheKindCountEndsWithTheChaserAndKindsOutsideGiveNoEnemy) {
    const std::unique_ptr<CEnemy> last = factory.MakeEnemy(CEntityFactory::GetKindCount() - 1);
    ASSERT_NE(last, nullptr);
    const CEnemy& made = *last;
    EXPECT_TRUE(typeid(made) == typeid(CEnemyChaser));
    EXPECT_EQ(factory.MakeEnemy(CEntityFactory::GetKindCount()), nullptr);
    EXPECT_EQ(factory.MakeEnemy(3), nullptr);
    EXPECT_EQ(factory.MakeEnemy(-1), nullptr);
}

TEST_F(EntityFactoryTest, OneSeedGivesTheSameEnemies) {
    const auto makeAll = [&] {
        std::srand(77);
        std::vector<std::unique_ptr<CEnemy>> enemies;
        for (int i = 0; i < 30; ++i) {
            enemies.push_back(factory.MakeEnemy(std::rand() % CEntityFactory::GetKindCount()));
        }
        return enemies;
    };
    const auto first = makeAll();
    const auto second = makeAll();
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i]->GetNodeIndex(), second[i]->GetNodeIndex());
        EXPECT_EQ(first[i]->GetPosition().x, second[i]->GetPosition().x);
    }
}

TEST_F(EntityFactoryTest, MakesTheShipAtTheStartOfThePath) {
    const std::unique_ptr<CPlayer> player = factory.MakePlayer();
    EXPECT_EQ(player->GetNodeIndex(), 0);
    EXPECT_EQ(player->GetBody().along, 5.0f);
    EXPECT_EQ(player->GetEnergy(), 100);
}

} // namespace
