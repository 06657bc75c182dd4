#include "GlFeedback.h"
#include "GlFixture.h"

#include "app/RenderSettings.h"
#include "entities/Body.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/glu.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

unsigned SeedOne() {
    return 1;
}

// What a draw call sent to OpenGL, in world coordinates.
struct SVertex {
    float x, y, z; // world coordinates
    float s, t;    // texture coordinates
};
struct SPrimitive {
    GLenum kind; // GL_POLYGON_TOKEN or GL_LINE_TOKEN
    std::vector<SVertex> vertices;
};

constexpr double kDepthRange = 1.0e6;

class TunnelGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        LoadWithoutFiles(registry);
        testing::internal::CaptureStdout();
        tunnel.Generate(1, 500); // straight: rings 0 to 499 on the -z axis
        testing::internal::GetCapturedStdout();
        glDisable(GL_CULL_FACE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-400, 400, -300, 300, -kDepthRange, kDepthRange);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // The projection maps world x, y straight to pixels around the window's centre and world z
    // linearly into depth, so positions read back as world coordinates.
    template <typename Draw> std::vector<SPrimitive> Capture(Draw draw) {
        std::vector<SPrimitive> primitives;
        for (const SFeedbackPrimitive& sent : CaptureFeedback(draw, 4000000)) {
            SPrimitive primitive{sent.kind, {}};
            for (const SFeedbackVertex& v : sent.vertices) {
                const float z = static_cast<float>(kDepthRange - 2.0 * kDepthRange * v.z);
                primitive.vertices.push_back({v.x - 400.0f, v.y - 300.0f, z, v.s, v.t});
            }
            primitives.push_back(primitive);
        }
        return primitives;
    }

    CBody CameraAt(int node) {
        CBody body;
        body.SetNodeIndex(node);
        return body;
    }

    // Segments drawn, told apart by the z range their triangles cover.
    struct SDrawnRange {
        size_t triangles = 0;
        float nearZ = -1e9f; // largest z: the nearest ring
        float farZ = 1e9f;
    };
    SDrawnRange Range(const std::vector<SPrimitive>& primitives) {
        SDrawnRange range;
        for (const SPrimitive& p : primitives) {
            range.triangles += p.kind == GL_POLYGON_TOKEN ? 1 : 0;
            for (const SVertex& v : p.vertices) {
                range.nearZ = std::max(range.nearZ, v.z);
                range.farZ = std::min(range.farZ, v.z);
            }
        }
        return range;
    }

    void ExpectSegments(const SDrawnRange& range, int first, int last) {
        EXPECT_EQ(range.triangles, static_cast<size_t>(48 * (last - first + 1)));
        EXPECT_NEAR(range.nearZ, tunnel.GetNodePosition(first).z, 1.0f);
        EXPECT_NEAR(range.farZ, tunnel.GetNodePosition(last + 1).z, 1.0f);
    }

    CTextureManager registry;
    CTunnel tunnel{registry, &SeedOne};
    CRenderSettings settings;
};

TEST_F(TunnelGl, SegmentsAreDrawnForTheNodeWindowAhead) {
    ASSERT_EQ(tunnel.GetSegmentCount(), 499);
    ExpectSegments(Range(Capture([&] { tunnel.DrawSegments(CameraAt(0), settings); })), 0, 89);
    ExpectSegments(Range(Capture([&] { tunnel.DrawSegments(CameraAt(450), settings); })), 450, 498);
    ExpectSegments(Range(Capture([&] { tunnel.DrawSegments(CameraAt(498), settings); })), 498, 498);
    for (int node : {499, 600}) {
        EXPECT_TRUE(Capture([&] { tunnel.DrawSegments(CameraAt(node), settings); }).empty());
    }
}

TEST_F(TunnelGl, WithoutCullingEverySegmentIsDrawnFromAnywhere) {
    settings.SetNoFrustumCulling(1);
    for (int node : {0, 300, 499}) {
        ExpectSegments(Range(Capture([&] { tunnel.DrawSegments(CameraAt(node), settings); })), 0,
                       498);
    }
}

TEST_F(TunnelGl, ASegmentMapsItsTextureOnceAlongAndOnceAround) {
    const CSegment& segment = tunnel.GetSegment(0);
    const std::vector<SPrimitive> triangles = Capture([&] { segment.Draw(); });
    ASSERT_EQ(triangles.size(), 48u);
    const CRing& a = tunnel.GetRing(0);
    const CRing& b = tunnel.GetRing(1);
    for (int side : {0, 7, 23}) {
        const int next = (side + 1) % 24;
        const float t0 = static_cast<float>(side) / 24.0f;
        const float t1 = static_cast<float>(side + 1) / 24.0f;
        const struct {
            const CVector3& position;
            float s, t;
        } expected[6] = {{b.GetPoint(next), 1, t1}, {b.GetPoint(side), 1, t0},
                         {a.GetPoint(side), 0, t0}, {b.GetPoint(next), 1, t1},
                         {a.GetPoint(side), 0, t0}, {a.GetPoint(next), 0, t1}};
        for (int corner = 0; corner < 6; ++corner) {
            const SVertex& v = triangles[2 * side + corner / 3].vertices[corner % 3];
            EXPECT_NEAR(v.x, expected[corner].position.x, 0.01f) << side << "/" << corner;
            EXPECT_NEAR(v.y, expected[corner].position.y, 0.01f) << side << "/" << corner;
            EXPECT_NEAR(v.z, expected[corner].position.z, 0.5f) << side << "/" << corner;
            EXPECT_NEAR(v.s, expected[corner].s, 1e-6f) << side << "/" << corner;
            EXPECT_NEAR(v.t, expected[corner].t, 1e-6f) << side << "/" << corner;
        }
    }
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), segment.GetTexture());
    EXPECT_GE(segment.GetTexture(), registry.Find("segment1"));
    EXPECT_LE(segment.GetTexture(), registry.Find("segment7"));
}

// What generation must build, worked out here from the draws alone: each ring's angles and
// length, each segment's texture name, and how many bends of each kind there were.
struct SModelTunnel {
    struct SRing {
        float angleX, angleY, length; // radians, radians, units
    };
    std::vector<SRing> rings;
    std::vector<std::string> segmentTextures;
    int bendsAboutX = 0;
    int bendsAboutY = 0;
    int diagonalBends = 0;
};

SModelTunnel ModelTunnel(unsigned seed, int difficulty, int length) {
    SModelTunnel model;
    std::srand(seed);
    const auto draw = [](int low, int high) { return low + std::rand() % (high - low); };
    const auto radians = [](float degrees) { return degrees * 0.017453292f; };
    model.rings.push_back({0.0f, 0.0f, 10.0f});
    while (model.rings.size() < static_cast<std::size_t>(std::max(length, 120))) {
        if (draw(1, 14) <= 14 - difficulty) {
            const SModelTunnel::SRing last = model.rings.back();
            const int straight = draw(100, 150);
            model.rings.push_back({last.angleX, last.angleY, static_cast<float>(straight)});
            continue;
        }
        int dx = draw(difficulty, 2 * difficulty);
        int dy = draw(difficulty, 2 * difficulty);
        dx = draw(1, 20) < 10 ? -dx : dx;
        dy = draw(1, 20) < 10 ? -dy : dy;
        const int kind = draw(1, 9);
        if (kind <= 3) {
            dy = 0;
            ++model.bendsAboutX;
        } else if (kind <= 6) {
            dx = 0;
            ++model.bendsAboutY;
        } else {
            ++model.diagonalBends;
        }
        const int steps = 2 * std::max(std::abs(dx), std::abs(dy)) + 1;
        const int arc = draw(300, 340);
        for (int step = 0; step < steps; ++step) {
            const SModelTunnel::SRing last = model.rings.back();
            model.rings.push_back(
                {last.angleX + radians(static_cast<float>(dx) / static_cast<float>(steps)),
                 last.angleY + radians(static_cast<float>(dy) / static_cast<float>(steps)),
                 static_cast<float>(arc) / static_cast<float>(steps)});
        }
    }
    for (std::size_t k = 0; k + 1 < model.rings.size(); ++k) {
        model.segmentTextures.push_back("segment" + std::to_string(std::rand() % 7 + 1));
    }
    return model;
}

TEST_F(TunnelGl, GenerationBuildsTheRingsAndSegmentTexturesItsDrawsSay) {
    int bendsAboutX = 0;
    int bendsAboutY = 0;
    int diagonalBends = 0;
    const struct {
        unsigned seed;
        int difficulty;
        int length;
    } cases[] = {{3, 9, 400}, {21, 5, 600}, {8, 13, 300}};
    for (const auto& c : cases) {
        CTunnel bent(registry, [&c] { return c.seed; });
        testing::internal::CaptureStdout();
        bent.Generate(c.difficulty, c.length);
        testing::internal::GetCapturedStdout();
        const SModelTunnel model = ModelTunnel(c.seed, c.difficulty, c.length);
        ASSERT_EQ(bent.GetRingCount(), static_cast<int>(model.rings.size())) << c.seed;
        for (int i = 0; i < bent.GetRingCount(); ++i) {
            const CRing& ring = bent.GetRing(i);
            ASSERT_EQ(ring.GetAngleX(), model.rings[i].angleX)
                << "seed " << c.seed << " ring " << i;
            ASSERT_EQ(ring.GetAngleY(), model.rings[i].angleY)
                << "seed " << c.seed << " ring " << i;
            ASSERT_EQ(ring.GetLength(), model.rings[i].length)
                << "seed " << c.seed << " ring " << i;
        }
        ASSERT_EQ(bent.GetSegmentCount(), bent.GetRingCount() - 1);
        for (int k = 0; k < bent.GetSegmentCount(); ++k) {
            ASSERT_EQ(bent.GetSegment(k).GetTexture(),
                      registry.Find(model.segmentTextures[k].c_str()))
                << "seed " << c.seed << " segment " << k;
        }
        bendsAboutX += model.bendsAboutX;
        bendsAboutY += model.bendsAboutY;
        diagonalBends += model.diagonalBends;
    }
    EXPECT_GT(bendsAboutX, 0);
    EXPECT_GT(bendsAboutY, 0);
    EXPECT_GT(diagonalBends, 0);
}

// Joints: "joint_10" at the finish node 410, then every 40 nodes back to "joint_0" at node 10.
TEST_F(TunnelGl, JointsAreNumberedDiscsInsideTheWindow) {
    const auto jointNodes = [&](int cameraNode) {
        std::vector<int> nodes;
        for (const SPrimitive& p :
             Capture([&] { tunnel.DrawJoints(CameraAt(cameraNode), settings); })) {
            const float centreZ = p.vertices[0].z;
            for (int node = 0; node < tunnel.GetRingCount(); ++node) {
                if (std::abs(tunnel.GetNodePosition(node).z - centreZ) < 1.0f &&
                    (nodes.empty() || nodes.back() != node)) {
                    nodes.push_back(node);
                }
            }
        }
        return nodes;
    };
    EXPECT_EQ(jointNodes(0), (std::vector<int>{90, 50, 10}));
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), registry.Find("joint_0"));
    EXPECT_EQ(jointNodes(360), (std::vector<int>{410, 370}));
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), registry.Find("joint_9"));
    EXPECT_EQ(jointNodes(411), std::vector<int>{});

    settings.SetNoFrustumCulling(1); // joints ignore it
    EXPECT_EQ(jointNodes(360), (std::vector<int>{410, 370}));
}

TEST_F(TunnelGl, AJointDiscMapsTheTexturesInscribedCircle) {
    const std::vector<SPrimitive> fan =
        Capture([&] { tunnel.DrawJoints(CameraAt(405), settings); });
    ASSERT_EQ(fan.size(), 24u);
    const CRing& ring = tunnel.GetRing(410);
    for (int j = 0; j < 24; ++j) {
        const std::vector<SVertex>& v = fan[j].vertices;
        EXPECT_NEAR(v[0].s, 0.5f, 1e-6f);
        EXPECT_NEAR(v[0].t, 0.5f, 1e-6f);
        EXPECT_NEAR(v[1].s, (CRing::kCircle[j][0] + 1.0f) * 0.5f, 1e-6f);
        EXPECT_NEAR(v[2].t, (CRing::kCircle[(j + 1) % 24][1] + 1.0f) * 0.5f, 1e-6f);
        EXPECT_NEAR(v[1].x, ring.GetPoint(j).x, 0.01f);
    }
}

TEST_F(TunnelGl, JointsLeaveBlendedStateBehind) {
    tunnel.DrawJoints(CameraAt(0), settings);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(GetInteger(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(GetInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(GetInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_REPLACE);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.9f);
    EXPECT_FLOAT_EQ(colour[1], 0.4f);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
}

TEST_F(TunnelGl, OpaqueJointsTouchNeitherBlendingNorDepthWrites) {
    settings.SetNoAlpha(1);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    tunnel.DrawJoints(CameraAt(0), settings);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_FALSE);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[2], 0.4f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
}

TEST_F(TunnelGl, HiddenPathLineDrawsAndChangesNothing) {
    ASSERT_EQ(settings.GetHidePathLine(), 1);
    EXPECT_TRUE(Capture([&] { tunnel.DrawPathLine(CameraAt(0), settings); }).empty());
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(TunnelGl, PathLineRunsFromStartToTenPastTheFinishInsideTheWindow) {
    settings.SetHidePathLine(0);
    settings.SetNoAlpha(1); // the line blends whatever this says
    const auto lines = [&](int cameraNode) {
        return Range(Capture([&] { tunnel.DrawPathLine(CameraAt(cameraNode), settings); }));
    };
    const std::vector<SPrimitive> near =
        Capture([&] { tunnel.DrawPathLine(CameraAt(0), settings); });
    EXPECT_EQ(near.size(), 81u); // lines from nodes 10 to 90
    const SDrawnRange nearRange = lines(0);
    EXPECT_NEAR(nearRange.nearZ, tunnel.GetNodePosition(10).z, 1.0f);
    EXPECT_NEAR(nearRange.farZ, tunnel.GetNodePosition(91).z, 1.0f);
    const SDrawnRange end = lines(400);
    EXPECT_NEAR(end.nearZ, tunnel.GetNodePosition(400).z, 1.0f);
    EXPECT_NEAR(end.farZ, tunnel.GetNodePosition(421).z, 1.0f);
    EXPECT_EQ(Capture([&] { tunnel.DrawPathLine(CameraAt(400), settings); }).size(), 21u);

    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.3f);
}

} // namespace
