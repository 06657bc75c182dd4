// What the game's frame needs a window or sound for, on a real game with a fixed seed and a fixed
// step: the music, the course marks and their message, the lights and the enemy window.

#include "GameGl.h"
#include "GameSetPieces.h"
#include "GlFeedback.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "render/Camera.h"
#include "sound/SoundLibrary.h"

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace {

class GameRulesGl : public GameGl {
protected:
    CEnemy& Enemy(std::size_t index) const { return EnemyOf(*game, index); }
    void ExplodeAllBut(std::size_t kept) const { ::ExplodeAllBut(*game, kept); }
    void FlyToNode(int node) {
        ::FlyToNode(*game, input, node, [this] { Frames(1); });
    }
};

TEST_F(GameRulesGl, TheMusicStartsInTheFirstFrameAtTheStartNodeAndNeverAgain) {
    Make(0, 200, &FixedSeed, 4); // no enemies, so no explosion sounds
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (FSOUND_GetChannelsPlaying() != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the start sound ends
    }
    ASSERT_EQ(FSOUND_GetChannelsPlaying(), 0);
    const int start = game->GetTunnel()->GetStartNode();
    input.KeyDown(' ', 0, 0);
    int framesFromStart = 0;
    for (int frame = 0; frame < 3000 && framesFromStart < 60; ++frame) {
        const int node = game->GetPlayer()->GetNodeIndex(); // what this frame goes by
        Frames(1);
        EXPECT_EQ(FSOUND_GetChannelsPlaying(), node >= start ? 1 : 0) << "node " << node;
        framesFromStart += node >= start;
    }
    EXPECT_EQ(framesFromStart, 60);
}

TEST_F(GameRulesGl, TheClockStopsOnReachingTheFinishNodeButTheControlsDieOnlyPastIt) {
    Make(0, 120, &FixedSeed, 11); // straight: the finish is node 30
    const int finish = game->GetTunnel()->GetFinishNode();
    input.KeyDown(' ', 0, 0);
    double stoppedAt = -1.0;
    int framesAtFinish = 0;
    int framesPast = 0;
    for (int frame = 0; frame < 5000 && framesPast < 10; ++frame) {
        const int node = game->GetPlayer()->GetNodeIndex(); // what this frame goes by
        const double before = timer.GetGameClock();
        Frames(1);
        const double after = timer.GetGameClock();
        if (node < finish) {
            EXPECT_NE(Message(), "AUS:MAUS") << "node " << node;
            if (node > game->GetTunnel()->GetStartNode()) {
                EXPECT_GT(after, before) << "node " << node;
            }
        } else {
            EXPECT_EQ(Message(), "AUS:MAUS") << "node " << node;
            stoppedAt = stoppedAt < 0.0 ? after : stoppedAt;
            EXPECT_EQ(after, stoppedAt) << "node " << node;
        }
        EXPECT_EQ(input.GetAccelerate(), node <= finish ? 1 : 0) << "node " << node;
        framesAtFinish += node == finish;
        framesPast += node > finish;
    }
    EXPECT_GT(framesAtFinish, 1);
    EXPECT_EQ(framesPast, 10);
}

TEST_F(GameRulesGl, LightsShineFromTheShipsNodeRoundedDownToFiveAndFiveNodesEitherSide) {
    Make(3, 300, &FixedSeed, 8);
    Frames(1); // the camera leaves the model-view matrix at the identity, as every frame
    const int last = game->GetTunnel()->GetRingCount() - 1;
    const int lastFive = last - last % 5;
    const struct {
        int shipNode;
        int lightNodes[3]; // lights 0, 1, 2
    } cases[] = {{3, {0, -5, 5}},
                 {7, {5, 0, 10}},
                 {10, {10, 5, 15}},
                 {last, {lastFive, lastFive - 5, lastFive + 5}}};
    for (const auto& c : cases) {
        game->GetPlayer()->SetNodeIndex(c.shipNode);
        game->Draw();
        for (int i = 0; i < 3; ++i) {
            // Outside the path (node -5, or past the last) a light shines from the origin.
            const CVector3 node = game->GetTunnel()->GetNodePosition(c.lightNodes[i]);
            GLfloat position[4];
            glGetLightfv(GL_LIGHT0 + i, GL_POSITION, position);
            EXPECT_EQ(position[0], node.x) << "ship at " << c.shipNode << ", light " << i;
            EXPECT_EQ(position[1], node.y) << "ship at " << c.shipNode << ", light " << i;
            EXPECT_EQ(position[2], node.z) << "ship at " << c.shipNode << ", light " << i;
            EXPECT_EQ(position[3], 0.0f) << "a direction";
        }
    }
}

TEST_F(GameRulesGl, EnemiesAreDrawnOnlyInsideTheCamerasNodeWindowUnlessCullingIsOff) {
    // Enemy meshes with a texture coordinate nothing else sends, to pick them out of a frame.
    for (int n = 1; n <= 9; ++n) {
        std::ofstream("mesh/Enemy" + std::to_string(n) + ".obj")
            << "v 10 0 0\nv 0 10 0\nv 0 0 10\nv -10 0 0\nvt 0.125 0.375\nvn 0 0 1\n"
               "f 1/1/1 2/1/1 3/1/1\nf 4/1/1 3/1/1 2/1/1\nf 3/1/1 2/1/1 1/1/1\n";
    }
    Make(3, 300, &FixedSeed, 6);
    for (std::size_t i = 1; i < game->GetEnemies().size(); ++i) {
        Enemy(i).SetEnergy(0); // dead enemies are not drawn, even once rammed
    }
    Place(Enemy(0), CVector3(0.0f, 5000.0f, 0.0f)); // out of the way while the ship flies
    input.KeyDown(' ', 0, 0);
    for (int frame = 0; frame < 3000 && game->GetCamera().GetNodeIndex() < 3; ++frame) {
        Frames(1);
    }
    input.KeyUp(' ', 0, 0);
    const CPlayer& ship = *game->GetPlayer();
    Enemy(0).SetPosition(ship.GetPosition().Added(ship.GetDirection().Scaled(60.0f)));
    const int camera = game->GetCamera().GetNodeIndex();
    const int visible = game->GetTunnel()->GetVisibleNodes();
    const struct {
        int node;
        int noFrustumCulling;
        bool drawn;
    } cases[] = {
        {camera, 0, true},      {camera + visible, 0, true},     {camera + visible + 1, 0, false},
        {camera - 1, 0, false}, {camera + visible + 1, 1, true}, {camera - 1, 1, true}};
    for (const auto& c : cases) {
        Enemy(0).SetNodeIndex(c.node);
        settings.SetNoFrustumCulling(c.noFrustumCulling);
        int marked = 0;
        const auto frame = [&] {
            game->GetCamera().Apply(); // as the frame does before it draws
            game->Draw();
        };
        for (const SFeedbackPrimitive& sent : CaptureFeedback(frame, 4000000)) {
            for (const SFeedbackVertex& v : sent.vertices) {
                marked += v.s == 0.125f && v.t == 0.375f;
            }
        }
        EXPECT_EQ(marked > 0, c.drawn) << "camera at " << camera << ", enemy at " << c.node
                                       << ", culling off " << c.noFrustumCulling;
    }
}

} // namespace
