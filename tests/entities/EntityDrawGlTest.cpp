#include "GameDataDirectory.h"
#include "GlFeedback.h"
#include "GlFixture.h"
#include "TextureFiles.h"
#include "app/RenderSettings.h"
#include "entities/EnemySpinner.h"
#include "entities/Laser.h"
#include "render/Camera.h"
#include "render/MeshCache.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

unsigned SeedOne() {
    return 1;
}

// Entities drawn in feedback mode under an orthographic view that maps world x and y to pixels
// around the window's centre, so what was sent can be compared with world positions.
class EntityDrawGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        data = std::make_unique<CGameDataDirectory>(3.0f, 10.0f, 2.0f);
        registry = std::make_unique<CTextureManager>();
        WriteTableTextures();
        testing::internal::CaptureStdout();
        registry->LoadAll(false);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "every texture loads";
        tunnel = std::make_unique<CTunnel>(*registry, &SeedOne);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-400, 400, -300, 300, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_CULL_FACE);
    }

    // Window positions of every vertex sent, turned back into world x, y.
    template <typename Draw> std::vector<CVector3> SentVertices(Draw draw) {
        std::vector<CVector3> vertices;
        for (const SFeedbackPrimitive& sent : CaptureFeedback(draw)) {
            for (const SFeedbackVertex& v : sent.vertices) {
                if (sent.kind == GL_POLYGON_TOKEN) {
                    vertices.emplace_back(v.x - 400.0f, v.y - 300.0f, 0.0f);
                }
            }
        }
        return vertices;
    }

    static bool Contains(const std::vector<CVector3>& vertices, float x, float y) {
        for (const CVector3& v : vertices) {
            if (std::abs(v.x - x) < 0.01f && std::abs(v.y - y) < 0.01f) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<CGameDataDirectory> data;
    std::unique_ptr<CTextureManager> registry;
    std::unique_ptr<CTunnel> tunnel;
    CRenderSettings settings;
    CCamera camera;
};

TEST_F(EntityDrawGl, TheEnemyMeshVanishesHalfASecondIntoItsExplosion) {
    CEnemySpinner spinner(*registry, 50.0f, 20.0f, -100.0f);
    const auto meshShown = [&] {
        return Contains(SentVertices([&] { spinner.Draw(camera, settings); }), 50.0f, 30.0f);
    };
    EXPECT_TRUE(meshShown());
    spinner.Explode();
    spinner.Update(0.4f, *tunnel);
    EXPECT_TRUE(meshShown());
    spinner.Update(0.2f, *tunnel);
    EXPECT_FALSE(meshShown());
    EXPECT_FALSE(SentVertices([&] { spinner.Draw(camera, settings); }).empty())
        << "the explosion is still drawn";
}

TEST_F(EntityDrawGl, AnEnemyWearsTheMeshOfItsFirstDrawAndTheSkinOfItsSecond) {
    // Enemy mesh N gets radius N, so the radius tells which file was loaded.
    for (int n = 1; n <= 9; ++n) {
        CGameDataDirectory::WriteOctahedron("mesh/Enemy" + std::to_string(n) + ".obj",
                                            static_cast<float>(n));
    }
    CMeshCache::Clear();
    // Seeds whose first two draws pick other meshes and skins when taken the other way round.
    for (unsigned seed : {3u, 17u, 2024u}) {
        std::srand(seed);
        const int meshDraw = std::rand();
        const int skinDraw = std::rand();
        ASSERT_NE(meshDraw % 9, skinDraw % 9) << seed;
        ASSERT_NE(meshDraw % 14, skinDraw % 14) << seed;
        std::srand(seed);
        CEnemySpinner spinner(*registry, 0.0f, 0.0f, -100.0f);
        EXPECT_EQ(spinner.GetRadius(), static_cast<float>(meshDraw % 9 + 1)) << seed;
        const int skin = registry->Find(("enemy_" + std::to_string(skinDraw % 14 + 1)).c_str());
        ASSERT_NE(skin, 0);
        EXPECT_EQ(spinner.GetTexture(), skin) << seed;
        glBindTexture(GL_TEXTURE_2D, 0);
        spinner.Draw(camera, settings);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), skin) << seed;
    }
}

TEST_F(EntityDrawGl, AShotPointsItsMeshAlongItsFlightAndBlendsUnlessAlphaIsOff) {
    CLaser shot(*registry);
    shot.SetPosition(CVector3(100, 50, -10));
    shot.SetDirection(CVector3(1, 0, 0));
    shot.SetUp(CVector3(0, 1, 0));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // The mesh's +z tip (radius 2) points along the flight: world (102, 50).
    EXPECT_TRUE(Contains(SentVertices([&] { shot.Draw(camera, settings); }), 102.0f, 50.0f));

    ASSERT_NE(shot.GetTexture(), 0);
    EXPECT_EQ(shot.GetTexture(), registry->Find("laser2"));
    glBindTexture(GL_TEXTURE_2D, 0);
    shot.Draw(camera, settings);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(GetInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.7f);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE) << "left as the draw before it set it";
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), shot.GetTexture());

    settings.SetNoAlpha(1);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    shot.Draw(camera, settings);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(GetInteger(GL_DEPTH_WRITEMASK), GL_FALSE);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    glDepthMask(GL_TRUE);
}

TEST_F(EntityDrawGl, ModelViewIsRestoredAfterEveryDraw) {
    CEnemySpinner spinner(*registry, 5.0f, 0.0f, 0.0f);
    CLaser shot(*registry);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    spinner.Draw(camera, settings);
    shot.Draw(camera, settings);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0f);
    EXPECT_EQ(m[14], 3.0f);
}

} // namespace
