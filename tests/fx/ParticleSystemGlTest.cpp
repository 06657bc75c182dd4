#include "FxGl.h"
#include "GlFixture.h"

#include "app/RenderSettings.h"
#include "fx/ParticleSystem.h"
#include "render/Camera.h"
#include "render/TextureManager.h"

#include <memory>

namespace {

using namespace fxgl;

class ParticleSystemGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        LoadWithoutFiles(registry);
        glBindTexture(GL_TEXTURE_2D, 0);
        UseWorldProjection();
        effect = std::make_unique<CParticleSystem>(registry);
    }

    // The first update with dt 0 leaves one fire and one smoke particle of size 5 at the origin.
    void StartAt(const CVector3& origin) {
        effect->Start(origin);
        effect->Update(0.0f);
    }

    void Draw() { effect->Draw(camera, settings); }

    CTextureManager registry;
    std::unique_ptr<CParticleSystem> effect; // made once the registry is loaded
    CCamera camera;                          // looks along -z with +y up, like the projection
    CRenderSettings settings;
};

void ExpectCorner(const SVertex& v, const CVector3& at, float s, float t) {
    EXPECT_NEAR(v.x, at.x, 1e-3f);
    EXPECT_NEAR(v.y, at.y, 1e-3f);
    EXPECT_NEAR(v.z, at.z, 1e-3f);
    EXPECT_FLOAT_EQ(v.s, s);
    EXPECT_FLOAT_EQ(v.t, t);
}

TEST_F(ParticleSystemGl, DrawsNothingBeforeStart) {
    effect->Update(0.1f);
    EXPECT_TRUE(CaptureQuads([&] { Draw(); }).empty());
    ExpectNoTranslucency();
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
}

// Corners bottom left, bottom right, top right, top left of the first cell of each sheet.
TEST_F(ParticleSystemGl, SquaresShowTheFirstCellOfEachSheet) {
    StartAt(CVector3(10, 20, -30));
    const auto quads = CaptureQuads([&] { Draw(); });
    ASSERT_EQ(quads.size(), 2u);
    const float k[2] = {0.25f, 1.0f / 3.0f}; // fire, smoke
    for (int i = 0; i < 2; ++i) {
        ExpectCorner(quads[i][0], CVector3(5, 15, -30), 0.0f, 1.0f - k[i]);
        ExpectCorner(quads[i][1], CVector3(15, 15, -30), k[i], 1.0f - k[i]);
        ExpectCorner(quads[i][2], CVector3(15, 25, -30), k[i], 1.0f);
        ExpectCorner(quads[i][3], CVector3(5, 25, -30), 0.0f, 1.0f);
    }
}

// Right is view direction x up: the squares lie across the view and wind counter-clockwise as
// seen from the camera, so back-face culling keeps them.
TEST_F(ParticleSystemGl, SquaresFaceTheCamera) {
    camera.GetBody().SetDirection(0.6f, 0.0f, -0.8f);
    StartAt(CVector3());
    glEnable(GL_CULL_FACE);
    const auto quads = CaptureQuads([&] { Draw(); });
    ASSERT_EQ(quads.size(), 2u);
    const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        const float r = 5.0f * signs[i][0]; // along right (0.8, 0, 0.6)
        const float u = 5.0f * signs[i][1]; // along up (0, 1, 0)
        ExpectCorner(quads[1][i], CVector3(0.8f * r, u, 0.6f * r), quads[1][i].s, quads[1][i].t);
    }
}

// Texturing is off in this context, so the squares take the current colour: half-transparent
// red shows whether blending and depth writes were set while they were drawn.
TEST_F(ParticleSystemGl, FilledWithAndWithoutAlpha) {
    StartAt(CVector3());
    glEnable(GL_DEPTH_TEST);
    for (int noAlpha : {1, 0}) {
        SCOPED_TRACE(noAlpha);
        settings.SetNoAlpha(noAlpha);
        GLubyte rgba[4];
        GLfloat depth = 0.0f;
        glColor4f(1.0f, 0.0f, 0.0f, 0.5f);
        DrawOverBlack([&] { Draw(); }, rgba, depth);
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), registry.Find("smoke"));
        EXPECT_EQ(TextureMode(), GL_REPLACE);
        if (noAlpha == 1) {
            EXPECT_EQ(rgba[0], 255);
            EXPECT_NEAR(depth, 0.5f, 1e-3f);
            ExpectNoTranslucency();
        } else {
            EXPECT_NEAR(rgba[0], 191, 2) << "two half-transparent squares over black";
            EXPECT_EQ(depth, 1.0f);
            ExpectTranslucencyLeftBehind();
        }
    }
}

TEST_F(ParticleSystemGl, WireframeDrawsOutlinesWithoutTouchingTextures) {
    settings.SetSolidFill(0);
    StartAt(CVector3());
    glBindTexture(GL_TEXTURE_2D, 5);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    GLenum kind = 0;
    EXPECT_EQ(Capture([&] { Draw(); }, kind).size(), 8u);
    EXPECT_NE(kind, static_cast<GLenum>(GL_POLYGON_TOKEN));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 5);
    EXPECT_EQ(TextureMode(), GL_DECAL);
    ExpectTranslucencyLeftBehind();
}

} // namespace
