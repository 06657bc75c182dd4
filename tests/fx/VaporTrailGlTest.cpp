#include "FxGl.h"
#include "GlFixture.h"

#include "app/RenderSettings.h"
#include "fx/VaporTrail.h"
#include "render/Camera.h"
#include "render/TextureManager.h"

#include <memory>

namespace {

using namespace fxgl;

class VaporTrailGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        LoadWithoutFiles(registry);
        UseWorldProjection();
        trail = std::make_unique<CVaporTrail>(registry);
    }

    // One puff at the given place, aged 0.01: size 0.5, alpha 0.5.
    void LayOnePuffAt(const CVector3& position) {
        trail->SetPosition(position);
        trail->SetPosition(position);
        trail->SetPuffsPerUpdate(1);
        trail->Update(0.0f);
        trail->SetPuffsPerUpdate(0);
        trail->Update(0.01f);
    }

    void Draw() { trail->Draw(camera, settings); }

    void ExpectLeftAfterDrawing(float lastAlpha) {
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 0.0f);
        EXPECT_EQ(colour[1], 1.0f);
        EXPECT_EQ(colour[2], 1.0f);
        EXPECT_NEAR(colour[3], lastAlpha, 1e-6f);
        EXPECT_EQ(TextureMode(), GL_MODULATE);
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), registry.Find("vaportail"));
    }

    CTextureManager registry;
    std::unique_ptr<CVaporTrail> trail; // made once the registry is loaded
    CCamera camera;
    CRenderSettings settings;
};

void ExpectCorner(const SVertex& v, float x, float y, float z, float s, float t) {
    EXPECT_NEAR(v.x, x, 1e-3f);
    EXPECT_NEAR(v.y, y, 1e-3f);
    EXPECT_NEAR(v.z, z, 1e-3f);
    EXPECT_EQ(v.s, s);
    EXPECT_EQ(v.t, t);
}

TEST_F(VaporTrailGl, PuffsAreCyanAndFadeWithAge) {
    trail->SetPosition(CVector3(0, 0, 10));
    trail->Update(0.016f); // (0, 0, 10) at age 0, size 0.1; (0, 0, 5) at age 0.008, size 0.42
    const auto quads = CaptureQuads([&] { Draw(); });
    ASSERT_EQ(quads.size(), 2u);
    ExpectCorner(quads[0][0], -0.1f, -0.1f, 10.0f, 0, 0);
    ExpectCorner(quads[0][1], 0.1f, -0.1f, 10.0f, 1, 0);
    ExpectCorner(quads[0][2], 0.1f, 0.1f, 10.0f, 1, 1);
    ExpectCorner(quads[0][3], -0.1f, 0.1f, 10.0f, 0, 1);
    ExpectCorner(quads[1][2], 0.42f, 0.42f, 5.0f, 1, 1);
    const float alphas[2] = {1.0f, 0.6f}; // 1 - age x 50
    for (int puff = 0; puff < 2; ++puff) {
        for (const SVertex& v : quads[puff]) {
            EXPECT_EQ(v.r, 0.0f);
            EXPECT_EQ(v.g, 1.0f);
            EXPECT_EQ(v.b, 1.0f);
            EXPECT_NEAR(v.a, alphas[puff], 1e-6f);
        }
    }
    ExpectLeftAfterDrawing(0.6f);
}

// The squares span the model-view's first two rows, so they stay upright on the screen
// whatever the model-view turns.
TEST_F(VaporTrailGl, SquaresFollowTheModelViewRows) {
    LayOnePuffAt(CVector3(10, 0, 0));
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f); // the puff shows at (0, 10)
    const auto quads = CaptureQuads([&] { Draw(); });
    ASSERT_EQ(quads.size(), 1u);
    ExpectCorner(quads[0][0], -0.5f, 9.5f, 0.0f, 0, 0);
    ExpectCorner(quads[0][2], 0.5f, 10.5f, 0.0f, 1, 1);
}

// Texturing is off in this context: the puff shows its own colour, alpha 0.5.
TEST_F(VaporTrailGl, WithAndWithoutAlpha) {
    LayOnePuffAt(CVector3());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -3, 3, -1, 1); // 100 pixels per unit
    glMatrixMode(GL_MODELVIEW);
    for (int noAlpha : {1, 0}) {
        SCOPED_TRACE(noAlpha);
        settings.SetNoAlpha(noAlpha);
        GLubyte rgba[4];
        GLfloat depth = 0.0f;
        DrawOverBlack([&] { Draw(); }, rgba, depth);
        EXPECT_NEAR(rgba[1], noAlpha == 1 ? 255 : 128, 2);
        if (noAlpha == 1) {
            ExpectNoTranslucency();
        } else {
            ExpectTranslucencyLeftBehind();
        }
        ExpectLeftAfterDrawing(0.5f);
    }
}

// Under blending a puff faded to alpha 0 or below could not pass the alpha test, so it is not
// sent at all; the colour and texture coordinate left behind are still those of the last puff.
// With alpha off every puff is drawn.
TEST_F(VaporTrailGl, FadedPuffsAreNotSentUnderBlending) {
    trail->SetPosition(CVector3(0, 0, 10));
    trail->Update(0.016f); // slot 0 at age 0, slot 1 at age 0.008
    trail->SetPuffsPerUpdate(0);
    trail->Update(0.016f); // slot 0 at age 0.016 (alpha 0.2), slot 1 at 0.024 (alpha -0.2)
    for (int noAlpha : {1, 0}) {
        SCOPED_TRACE(noAlpha);
        settings.SetNoAlpha(noAlpha);
        glColor4f(1, 0, 0, 1);
        glTexCoord2f(0.5f, 0.5f);
        EXPECT_EQ(CaptureQuads([&] { Draw(); }).size(), noAlpha == 1 ? 2u : 1u);
        ExpectLeftAfterDrawing(-0.2f);
        GLfloat texCoord[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
        EXPECT_EQ(texCoord[0], 0.0f);
        EXPECT_EQ(texCoord[1], 1.0f);
    }
    trail->Update(0.005f); // slot 1 goes, slot 0 fades to alpha -0.05: nothing sent
    glTexCoord2f(0.5f, 0.5f);
    EXPECT_TRUE(CaptureQuads([&] { Draw(); }).empty());
    ExpectLeftAfterDrawing(-0.05f);
    GLfloat texCoord[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    EXPECT_EQ(texCoord[1], 1.0f);
}

} // namespace
