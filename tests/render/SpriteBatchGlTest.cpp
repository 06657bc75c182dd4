#include "GlFixture.h"

#include "app/RenderSettings.h"
#include "fx/ParticleSystem.h"
#include "fx/VaporTrail.h"
#include "render/Camera.h"
#include "render/SpriteBatch.h"
#include "render/TextureManager.h"
#include "world/Vector3.h"

#include <GL/glu.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Trimming must leave the picture as it was, to a few edge pixels. Every test draws the game's
// own sprite sheets (the generated art beside the game) both ways into the same window, under
// the projection and the translucency the game uses, and compares the frames byte for byte.
namespace {

constexpr int kDifferingBytesAllowed = 32; // of a frame's 800 x 600 x 4

const std::string kTextureDir = std::string(ZELKORA_DATA_DIR) + "/texture/";

class SpriteBatchGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 800.0 / 600.0, 1.0, 2000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
    }

    void TearDown() override {
        CSpriteBatch::SetTrimming(true);
        GlFixture::TearDown();
    }

    // The view in the projection, as the game's camera sets it, turned and rolled a little.
    void LookAsTheGameDoes() {
        const CVector3 direction(0.1f, -0.05f, -0.99f);
        const CVector3 up(0.2f, 0.98f, 0.0f);
        camera.GetBody().SetDirection(direction);
        camera.GetBody().SetUp(up);
        const CVector3 d = camera.GetBody().GetDirection();
        const CVector3 u = camera.GetBody().GetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 1.0, 10000.0);
        gluLookAt(0, 0, 0, d.x, d.y, d.z, u.x, u.y, u.z);
        glMatrixMode(GL_MODELVIEW);
    }

    // The sheets under the names the effects look up, numbered 1 to 3 in this order.
    void LoadSheets(bool mipmapped) {
        registry.DeleteAll();
        for (const char* name : {"explosion", "smoke", "vaportail"}) {
            registry.Add(name, (kTextureDir + name + ".tga").c_str(), mipmapped);
        }
        ASSERT_NE(registry.Get(1)->GetAlphaCoverage(), nullptr) << "no art beside the game";
    }

    // The whole frame drawn over a grey background, once trimmed and once whole.
    template <typename Draw> void ExpectSameFrameTrimmed(Draw draw) {
        const std::vector<GLubyte> trimmed = Frame(draw, true);
        const std::vector<GLubyte> whole = Frame(draw, false);
        ASSERT_EQ(trimmed.size(), whole.size());
        int differing = 0; // bytes
        size_t firstDifference = whole.size();
        for (size_t i = 0; i < whole.size(); ++i) {
            if (trimmed[i] != whole[i]) {
                firstDifference = std::min(firstDifference, i);
                ++differing;
            }
        }
        // llvmpipe rasterises a trimmed square's edge a hair differently from the whole one's:
        // seen up to 9 bytes of the 1,920,000 over six seeds; a wrong trim costs
        // hundreds.
        EXPECT_LE(differing, kDifferingBytesAllowed)
            << "first at pixel " << firstDifference / 4 % 800 << ", " << firstDifference / 4 / 800;
        EXPECT_NE(whole, Frame([] {}, false)) << "the sprites drew nothing";
    }

    template <typename Draw> std::vector<GLubyte> Frame(Draw draw, bool trim) {
        CSpriteBatch::SetTrimming(trim);
        glClearColor(0.3f, 0.3f, 0.3f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        std::vector<GLubyte> pixels(800 * 600 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    CTextureManager registry;
    CCamera camera; // at the origin, looking along -z with +y up
    CRenderSettings settings;
};

// Explosions near enough to fill the window, and far or small enough that a cell covers a pixel
// or less (where mipmaps sample levels whose texels take in the next cells), through every cell
// of both sheets: from the first update to well past the particles' lives, when the empty last
// cells show.
TEST_F(SpriteBatchGl, ExplosionsAreNearlyTheSamePixelsTrimmed) {
    struct SPlace {
        CVector3 origin;
        float scale;
    };
    const SPlace places[] = {{{0, 0, -12}, 1.0f},     {{6, -3, -30}, 1.0f},
                             {{-20, 10, -400}, 1.0f}, {{0, 0, -1500}, 1.0f},
                             {{-5, -4, -60}, 0.002f}, {{5, -4, -60}, 0.002f},
                             {{-5, 4, -60}, 0.002f},  {{5, 4, -60}, 0.002f}};
    // The particles come from rand(): several seeds, each set here, so that no test's draws
    // depend on what ran before.
    for (const unsigned seed : {1u, 7u, 42u}) {
        std::srand(seed);
        for (bool mipmapped : {false, true}) {
            SCOPED_TRACE((mipmapped ? "mipmaps seed " : "no mipmaps seed ") + std::to_string(seed));
            LoadSheets(mipmapped);
            if (mipmapped) {
                LookAsTheGameDoes(); // squares across a turned view: not quite lined up with the
                                     // pixels
            }
            std::vector<std::unique_ptr<CParticleSystem>> explosions;
            for (const SPlace& place : places) {
                explosions.push_back(std::make_unique<CParticleSystem>(registry));
                explosions.back()->SetScale(place.scale);
                explosions.back()->Start(place.origin);
            }
            for (int step = 0; step < 14; ++step) {
                SCOPED_TRACE("step " + std::to_string(step));
                for (auto& explosion : explosions) {
                    explosion->Update(0.2f);
                }
                ExpectSameFrameTrimmed([&] {
                    for (auto& explosion : explosions) {
                        explosion->Draw(camera, settings);
                    }
                });
            }
        }
    }
}

// Puffs laid toward the camera from far away, so that the nearest fill much of the window.
TEST_F(SpriteBatchGl, TheVapourTrailIsNearlyTheSamePixelsTrimmed) {
    for (bool mipmapped : {false, true}) {
        SCOPED_TRACE(mipmapped ? "mipmaps" : "no mipmaps");
        LoadSheets(mipmapped);
        CVaporTrail trail(registry);
        trail.SetPuffsPerUpdate(40);
        trail.SetPosition(CVector3(0.5f, -0.3f, -200.0f));
        trail.SetPosition(CVector3(0.1f, -0.1f, -1.2f));
        trail.Update(0.015f);
        ExpectSameFrameTrimmed([&] { trail.Draw(camera, settings); });
    }
}

// The decisions behind the pixels: a square showing a clear cell is not sent, unless it is so
// small that a coarser mipmap level, where the next cells bleed in, is sampled; a large square
// is cut down, a small one is not; every square is sent whole when trimming is off, not asked
// for, or without the sheet's coverage.
TEST_F(SpriteBatchGl, LeavesOutSquaresWhoseCellIsClear) {
    const CVector3 right(1, 0, 0);
    const CVector3 up(0, 1, 0);
    const CAlphaCoverage::SRect firstCell{0.0f, 0.75f, 0.25f, 1.0f};
    const CAlphaCoverage::SRect lastCell{0.75f, 0.0f, 1.0f, 0.25f}; // clear in the art
    for (bool mipmapped : {false, true}) {
        LoadSheets(mipmapped);
        CSpriteBatch batch(registry.Get(1), true);
        batch.Square(CVector3(0, 0, -10), 4.0f, right, up, firstCell);  // fills much of the window
        batch.Square(CVector3(0, 0, -900), 1.0f, right, up, firstCell); // a few pixels
        batch.Square(CVector3(0, 0, -900), 1.0f, right, up, lastCell);
        batch.Square(CVector3(0, 0, -10), 4.0f, right, up, lastCell);
        batch.End();
        EXPECT_EQ(batch.GetCutCount(), 1);
        EXPECT_EQ(batch.GetLeftOutCount(), mipmapped ? 1 : 2);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{0, 0, 800, 600}))
            << "the box as it was";
        GLfloat texCoord[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
        EXPECT_EQ(texCoord[0], lastCell.u0) << "the left-out square's last corner stays current";
        EXPECT_EQ(texCoord[1], lastCell.v1);
    }
    for (const CTexture* texture : {registry.Get(1), static_cast<const CTexture*>(nullptr)}) {
        for (bool trim : {true, false}) {
            for (bool trimming : {true, false}) {
                CSpriteBatch::SetTrimming(trimming);
                CSpriteBatch batch(texture, trim);
                batch.Square(CVector3(0, 0, -10), 4.0f, right, up, lastCell);
                batch.Square(CVector3(0, 0, -10), 4.0f, right, up, firstCell);
                batch.End();
                const int trimmed = texture != nullptr && trim && trimming;
                EXPECT_EQ(batch.GetLeftOutCount(), trimmed);
                EXPECT_EQ(batch.GetCutCount(), trimmed);
            }
        }
    }
}

} // namespace
