#include "world/Tunnel.h"
#include "render/TextureManager.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

unsigned SeedSeven() {
    return 7;
}

// A registry with nothing loaded: every lookup gives 0, which is all generation needs.
class TunnelTest : public ::testing::Test {
protected:
    CTunnel& Generate(unsigned seed, int difficulty, int length) {
        tunnel = std::make_unique<CTunnel>(registry, &SeedSeven);
        std::srand(seed);
        testing::internal::CaptureStdout();
        tunnel->Generate(difficulty, length);
        pathLine = testing::internal::GetCapturedStdout();
        return *tunnel;
    }

    CTextureManager registry;
    std::unique_ptr<CTunnel> tunnel;
    std::string pathLine;
};

void ExpectNear(const CVector3& actual, const CVector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_F(TunnelTest, DifficultyOneRunsStraightWithRingsOneHundredToOneFortyNineApart) {
    const CTunnel& t = Generate(3, 1, 500);
    ASSERT_EQ(t.GetRingCount(), 500) << "no bends, so exactly the length";
    EXPECT_EQ(t.GetNodePosition(1).z, -10.0f);
    for (int i = 1; i + 1 < t.GetRingCount(); ++i) {
        const CRing& ring = t.GetRing(i);
        EXPECT_EQ(ring.GetAngleX(), 0.0f);
        EXPECT_EQ(ring.GetAngleY(), 0.0f);
        const float gap = t.GetNodePosition(i).z - t.GetNodePosition(i + 1).z;
        EXPECT_GE(gap, 100.0f);
        EXPECT_LE(gap, 149.0f);
        EXPECT_EQ(t.GetNodePosition(i + 1).x, 0.0f);
    }
    // Seed 3: rand() gives 1205554746, 483147985, 844158168, 953350440: a roll (never above
    // 13, so never a bend) and then a length 100 + 85 % 50 = 135, again 100 + 40 % 50 = 140.
    EXPECT_EQ(t.GetRing(1).GetLength(), 135.0f);
    EXPECT_EQ(t.GetNodePosition(2).z, -145.0f);
    EXPECT_EQ(t.GetNodePosition(3).z, -285.0f);
    EXPECT_EQ(t.GetStartNode(), 10);
    EXPECT_EQ(t.GetFinishNode(), 410);
    EXPECT_EQ(t.GetSegmentCount(), 499);
    EXPECT_EQ(pathLine, "path: 500 nodes \n");
}

TEST_F(TunnelTest, DifficultyZeroAndBelowNeverBend) {
    for (int difficulty : {0, -5}) {
        const CTunnel& t = Generate(11, difficulty, 200);
        EXPECT_EQ(t.GetRingCount(), 200);
        EXPECT_EQ(t.GetRing(150).GetAngleX(), 0.0f);
        EXPECT_EQ(t.GetVisibleNodes(), 100);
    }
}

TEST_F(TunnelTest, DifficultyFourteenOnlyBends) {
    const CTunnel& t = Generate(5, 14, 500);
    EXPECT_GE(t.GetRingCount(), 500);
    // A straight ring is at least 100 long; a bend of 29 or more steps spreads 300 to 339.
    for (int i = 1; i < t.GetRingCount(); ++i) {
        EXPECT_LT(t.GetRing(i).GetLength(), 12.0f) << "ring " << i;
    }
}

// Seed 1734 makes the first generation step at difficulty 3 a bend of 4 degrees about x only
// over an arc of 315. Its draws: 875674708 % 13 = 12, a roll of 13 above 14 - 3, so a bend;
// dx = 3 + 535339180 % 3 = 4; dy drawn; 86925397 % 19 = 17, so no flip of dx (1 + 17 >= 10);
// dy's sign; 814568337 % 8 = 1, kind 2, up or down only; 2100162895 % 40 = 15, arc 315.
// So 2 x 4 + 1 = 9 rings 315 / 9 = 35 long, each turned 4/9 degree (0.00775702 rad) more.
TEST_F(TunnelTest, AFourDegreeBendOverAnArcOf315GivesNineRingsThirtyFiveLong) {
    const CTunnel& t = Generate(1734, 3, 120);
    for (int i = 1; i <= 9; ++i) {
        const CRing& ring = t.GetRing(i);
        EXPECT_EQ(ring.GetLength(), 35.0f) << "ring " << i;
        EXPECT_NEAR(ring.GetAngleX(), 0.00775702f * static_cast<float>(i), 1e-6f) << "ring " << i;
        EXPECT_EQ(ring.GetAngleY(), 0.0f);
    }
    EXPECT_NEAR(t.GetRing(9).GetAngleX(), 0.0698132f, 1e-5f) << "4 degrees";
    // The first ring of the bend sits at the full length of the ring before it.
    ExpectNear(t.GetNodePosition(1), CVector3(0, 0, -10), 1e-5f);
    EXPECT_GT(t.GetNodePosition(5).y, t.GetNodePosition(4).y) << "a positive x angle climbs";
}

TEST_F(TunnelTest, ShortLengthsStillGiveOneHundredTwentyRings) {
    EXPECT_GE(Generate(1, 3, 7).GetRingCount(), 120);
    EXPECT_GE(Generate(1, 3, -50).GetRingCount(), 120);
}

TEST_F(TunnelTest, FirstTwoNodes) {
    const CTunnel& t = Generate(9, 3, 500);
    const CPathNode* node0 = t.GetPath().GetNode(0);
    ASSERT_NE(node0, nullptr);
    ExpectNear(node0->position, CVector3(0, 0, 0), 0.0f);
    ExpectNear(node0->forward, CVector3(0, 0, -1), 1e-6f);
    EXPECT_NEAR(node0->planeOffset, 0.0f, 1e-5f);
    EXPECT_EQ(node0->radius, 70.0f);
    EXPECT_EQ(node0->index, 0);
    EXPECT_EQ(node0->angleX, 0.0f);
    EXPECT_EQ(node0->length, 10.0f);
    ExpectNear(t.GetPath().GetNode(1)->position, CVector3(0, 0, -10), 0.0f);
    EXPECT_EQ(t.GetPath().GetNode(1)->index, 1);
}

TEST_F(TunnelTest, EachNodeLeadsAlongItsForwardToTheNext) {
    const CTunnel& t = Generate(21, 9, 800);
    const CPath& path = t.GetPath();
    ASSERT_EQ(path.GetNodeCount(), t.GetRingCount());
    for (int i = 0; i + 1 < path.GetNodeCount(); ++i) {
        const CPathNode& node = *path.GetNode(i);
        const CVector3 reached = CVector3(node.position.x + node.forward.x * node.length,
                                          node.position.y + node.forward.y * node.length,
                                          node.position.z + node.forward.z * node.length);
        ExpectNear(reached, path.GetNode(i + 1)->position, 0.05f);
        EXPECT_NEAR(node.forward.Length(), 1.0f, 1e-5f);
        // The node's own centre lies in its plane.
        const CVector3& p = node.position;
        EXPECT_NEAR(node.forward.x * p.x + node.forward.y * p.y + node.forward.z * p.z +
                        node.planeOffset,
                    0.0f, 0.05f);
    }
}

TEST_F(TunnelTest, OutOfRangeIndicesGiveTheOriginAndNoNode) {
    const CTunnel& t = Generate(2, 3, 500);
    const int count = t.GetRingCount();
    for (int index : {-1, count, count + 7}) {
        ExpectNear(t.GetNodePosition(index), CVector3(0, 0, 0), 0.0f);
        EXPECT_EQ(t.GetPath().GetNode(static_cast<unsigned>(index)), nullptr);
    }
    EXPECT_NE(t.GetPath().GetNode(static_cast<unsigned>(count - 1)), nullptr);
}

TEST_F(TunnelTest, OneSeedOneWorld) {
    Generate(17, 5, 600);
    const int count = tunnel->GetRingCount();
    std::vector<CVector3> first;
    for (int i = 0; i < count; ++i) {
        first.push_back(tunnel->GetNodePosition(i));
    }
    Generate(17, 5, 600);
    ASSERT_EQ(tunnel->GetRingCount(), count);
    for (int i = 0; i < count; ++i) {
        ExpectNear(tunnel->GetNodePosition(i), first[i], 0.0f);
    }
    Generate(18, 5, 600);
    bool differs = tunnel->GetRingCount() != count;
    for (int i = 0; !differs && i < count; ++i) {
        differs = tunnel->GetNodePosition(i).x != first[i].x;
    }
    EXPECT_TRUE(differs) << "another seed should give another world";
}

TEST_F(TunnelTest, VisibleNodesByDifficulty) {
    const std::pair<int, int> table[] = {{1, 90},  {2, 90},   {3, 90},  {4, 110}, {5, 125},
                                         {6, 140}, {7, 150},  {8, 170}, {9, 180}, {10, 100},
                                         {0, 100}, {-1, 100}, {14, 100}};
    for (const auto& [difficulty, visible] : table) {
        EXPECT_EQ(Generate(1, difficulty, 120).GetVisibleNodes(), visible)
            << "difficulty " << difficulty;
    }
}

TEST_F(TunnelTest, HugeDifficultiesAndLengthsStayWithinMemory) {
    const CTunnel& bendy = Generate(3, 2000000000, 120);
    EXPECT_LT(bendy.GetRingCount(), 5000);
    const CTunnel& straight = Generate(3, 1, 2000000000);
    EXPECT_EQ(straight.GetRingCount(), 100000);
    EXPECT_NE(pathLine.find("too long"), std::string::npos);
}

TEST_F(TunnelTest, CountRingsGivesWhatGenerateBuildsAndLeavesRandAlone) {
    struct SCase {
        unsigned seed;
        int difficulty;
        int length;
    };
    const SCase cases[] = {
        {20261207, 2, 1000},   {20261213, 8, 1000}, {17, 3, 500},        {0, 5, 600},
        {2147483647, 14, 300}, {9, 0, 800},         {9, -4, 200},        {1, 3, 7},
        {3, 2000000000, 120},  {3, 1, 2000000000},  {20261207, 2, 1003},
    };
    for (const SCase& c : cases) {
        const int built = Generate(c.seed, c.difficulty, c.length).GetRingCount();
        std::srand(42);
        const int next = std::rand();
        std::srand(42);
        EXPECT_EQ(CTunnel::CountRings(c.difficulty, c.length, c.seed), built)
            << c.seed << " " << c.difficulty << " " << c.length;
        EXPECT_EQ(std::rand(), next) << "rand() drawn from";
    }
}

TEST(TunnelRandRange, EmptyRangesReturnTheLowEndWithoutDrawing) {
    std::srand(99);
    const int expected = std::rand();
    std::srand(99);
    EXPECT_EQ(CTunnel::RandRange(70, 70), 70);
    EXPECT_EQ(CTunnel::RandRange(5, 2), 5);
    EXPECT_EQ(std::rand(), expected);
    for (int i = 0; i < 200; ++i) {
        const int value = CTunnel::RandRange(100, 150);
        EXPECT_GE(value, 100);
        EXPECT_LE(value, 149);
    }
}

TEST(Ring, RimRunsCounterClockwiseFromPlusXAndWrapsIndices) {
    const CRing ring(CVector3(1, 2, 3), 0.0f, 0.0f, 50.0f, 70.0f);
    ExpectNear(ring.GetPoint(0), CVector3(71, 2, 3), 1e-5f);
    ExpectNear(ring.GetPoint(6), CVector3(1, 72, 3), 1e-5f);
    ExpectNear(ring.GetPoint(24), ring.GetPoint(0), 0.0f);
    ExpectNear(ring.GetPoint(-1), ring.GetPoint(23), 0.0f);
    ExpectNear(ring.GetNormal(3), ring.GetPoint(3), 0.0f);
    CVector3 a, b;
    ring.GetPointPair(23, a, b);
    ExpectNear(b, ring.GetPoint(0), 0.0f);
}

TEST(Ring, FacingIsTheTransformedPlusZIncludingTheCentre) {
    const CRing atOrigin(CVector3(0, 0, 0), 0.0f, 0.0f, 10.0f, 70.0f);
    ExpectNear(atOrigin.GetFacing(), CVector3(0, 0, 1), 1e-6f);
    const CRing moved(CVector3(0, 3, 3), 0.0f, 0.0f, 10.0f, 70.0f);
    ExpectNear(moved.GetFacing(), CVector3(0, 0.6f, 0.8f), 1e-6f);
    const CRing turned(CVector3(0, 0, 0), 0.0f, 1.5707964f, 10.0f, 70.0f);
    ExpectNear(turned.GetFacing(), CVector3(1, 0, 0), 1e-6f);
    ExpectNear(turned.GetPoint(0), CVector3(0, 0, -70), 1e-4f);
}

} // namespace
