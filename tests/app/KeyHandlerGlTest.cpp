// Every case of the keyboard's handler: what quits, what each function key flips (F3 sets the
// polygon mode, hence the GL context), and with a game, the message each key shows.

#include "../game/GameGl.h"
#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"
#include "render/TextureManager.h"

#include <GL/glut.h>

namespace {

TEST(KeyHandler, OnlyEscapeAndLowerCaseQQuit) {
    CInput input;
    CRenderSettings settings;
    CKeyHandler keys(nullptr, &input, &settings);
    EXPECT_EQ(keys.KeyDown(27, 0, 0), CKeyHandler::EAction::Quit);
    EXPECT_EQ(keys.KeyDown('q', 0, 0), CKeyHandler::EAction::Quit);
    EXPECT_EQ(keys.KeyDown('Q', 0, 0), CKeyHandler::EAction::CarryOn);
    EXPECT_EQ(keys.KeyDown('y', 0, 0), CKeyHandler::EAction::CarryOn);
    EXPECT_EQ(input.GetFire(), 1);
}

class KeyHandlerGl : public GlFixture {};

// No game: the toggles still flip, each from its starting value and back.
TEST_F(KeyHandlerGl, FunctionKeysFlipTheirTogglesAndArrowsSteer) {
    CInput input;
    CRenderSettings settings;
    CKeyHandler keys(nullptr, &input, &settings);
    const struct {
        int key;
        int (CRenderSettings::*get)() const;
        int initial;
    } toggles[] = {
        {GLUT_KEY_F2, &CRenderSettings::GetHideFps, 0},
        {GLUT_KEY_F3, &CRenderSettings::GetSolidFill, 1},
        {GLUT_KEY_F5, &CRenderSettings::GetNoMipmaps, 1},
        {GLUT_KEY_F6, &CRenderSettings::GetNoVertexArrays, 0},
        {GLUT_KEY_F8, &CRenderSettings::GetNoFrustumCulling, 0},
        {GLUT_KEY_F9, &CRenderSettings::GetNoAlpha, 0},
        {GLUT_KEY_F12, &CRenderSettings::GetHidePathLine, 1},
    };
    for (const auto& toggle : toggles) {
        EXPECT_EQ((settings.*toggle.get)(), toggle.initial) << "key " << toggle.key;
        keys.SpecialKeyDown(toggle.key, 0, 0);
        EXPECT_EQ((settings.*toggle.get)(), 1 - toggle.initial) << "key " << toggle.key;
        if (toggle.key == GLUT_KEY_F3) {
            ExpectPolygonModes(GL_LINE, GL_LINE);
        }
        keys.SpecialKeyDown(toggle.key, 0, 0);
        EXPECT_EQ((settings.*toggle.get)(), toggle.initial) << "key " << toggle.key;
        if (toggle.key == GLUT_KEY_F3) { // filled again, with back faces as lines
            ExpectPolygonModes(GL_FILL, GL_LINE);
        }
    }
    keys.SpecialKeyDown(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(input.GetUp(), 1);
    keys.KeyUp(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(input.GetUp(), 0);
}

class KeyHandlerGameGl : public GameGl {};

// The values each toggle takes are the case above; here, what the game shows for each key.
TEST_F(KeyHandlerGameGl, KeysSayWhatTheyDidInTheirStyleAndDoIt) {
    Make(0, 120, &FixedSeed, 2);
    CKeyHandler keys(game.get(), &input, &settings);
    const struct {
        int key;        // a function key's code, or the letter p
        int valueAfter; // of P mode, and of "no mipmaps" for F5
        const char* message;
        int style;
    } cases[] = {
        {GLUT_KEY_F1, 0, "SORRY. NO HLP", 1},
        {GLUT_KEY_F2, 1, "FPS OFF", 0},
        {GLUT_KEY_F2, 0, "FPS ON", 0},
        {GLUT_KEY_F3, 0, "WIRE ON", 0},
        {GLUT_KEY_F3, 1, "WIRE OFF", 0},
        {GLUT_KEY_F5, 0, "MIPMAP ON", 0},
        {GLUT_KEY_F5, 1, "MIPMAP OFF", 0},
        {GLUT_KEY_F6, 1, "V ARRAY OFF", 0},
        {GLUT_KEY_F6, 0, "V ARRAY ON", 0},
        {GLUT_KEY_F8, 1, "VF CULLING OFF", 0},
        {GLUT_KEY_F8, 0, "VF CULLING ON", 0},
        {GLUT_KEY_F9, 1, "ALPHA OFF", 0},
        {GLUT_KEY_F9, 0, "ALPHA ON", 0},
        {'p', 1, "P... MODE", 0},
        {'p', 0, "P... OFF", 0},
    };
    for (const auto& c : cases) {
        game->ShowMessage("", 0, 0);
        if (c.key == 'p') {
            keys.KeyDown(c.key, 0, 0);
            EXPECT_EQ(game->IsPMode(), c.valueAfter == 1) << c.message;
        } else {
            keys.SpecialKeyDown(c.key, 0, 0);
        }
        EXPECT_EQ(Message(), c.message);
        EXPECT_EQ(game->GetHud()->GetMessageStyle(), c.style) << c.message;
        EXPECT_EQ(game->GetHud()->GetMessageSeconds(), 3) << c.message;
        if (c.key == GLUT_KEY_F5) { // every texture loaded again, with mipmaps when now on
            glBindTexture(GL_TEXTURE_2D, CTextureManager::kTableSize);
            GLint filter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
            EXPECT_EQ(filter, c.valueAfter == 0 ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST)
                << c.message;
        }
    }
    keys.KeyDown('k', 0, 0);
    EXPECT_EQ(game->GetPlayer()->GetEnergy(), 0) << "self-destruct";

    game->SetNewWorldSeedSource([] { return 123456789u; });
    testing::internal::CaptureStdout();
    keys.KeyDown('n', 0, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(game->GetSeed(), 123456789u);
    EXPECT_EQ(Message(), "WORLD 123456789");
    EXPECT_EQ(game->GetHud()->GetMessageStyle(), 0);
    EXPECT_EQ(game->GetHud()->GetMessageSeconds(), 2);

    // Tab works while paused and does not pause; the table is drawn from the next frame on.
    keys.SpecialKeyDown(GLUT_KEY_F4, 0, 0);
    keys.KeyDown('\t', 0, 0);
    Frames(1);
    EXPECT_TRUE(game->IsPaused());
    EXPECT_EQ(game->GetHud()->GetPanel(), game->GetRecordsTableLines());
    EXPECT_FALSE(game->GetHud()->GetPanel().empty());
    keys.SpecialKeyDown(GLUT_KEY_F4, 0, 0);
    keys.KeyDown('\t', 0, 0);
    Frames(1);
    EXPECT_FALSE(game->IsPaused()) << "the table never paused";
    EXPECT_TRUE(game->GetHud()->GetPanel().empty());
}

} // namespace
