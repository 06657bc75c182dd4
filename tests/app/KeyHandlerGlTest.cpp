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

// With fire d in keys.txt, d fires and no longer steers, though the held-key table knows it by
// the left arrow's code; the left arrow still steers and does not fire.
TEST(KeyHandler, AReboundKeyDoesNotLeakIntoTheCommandItsCodeShares) {
    std::vector<std::string> problems;
    const CKeyBindings bindings = CKeyBindings::Parse("fire d\n", "keys.txt", problems);
    ASSERT_TRUE(problems.empty());
    CInput input;
    CRenderSettings settings;
    CKeyHandler keys(nullptr, &input, &settings, bindings);
    keys.KeyDown('d', 0, 0);
    EXPECT_EQ(input.GetFire(), 1);
    EXPECT_EQ(input.GetLeft(), 0);
    keys.SpecialKeyDown(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(input.GetLeft(), 1);
    keys.KeyUp('d', 0, 0);
    EXPECT_EQ(input.GetFire(), 0);
    EXPECT_EQ(input.GetLeft(), 1) << "releasing d leaves the arrow held";
    keys.SpecialKeyUp(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(input.GetLeft(), 0);
    keys.KeyDown('y', 0, 0);
    EXPECT_EQ(input.GetFire(), 0) << "fire has only d now";
}

class KeyHandlerGl : public GlFixture {};

// The default bindings feed the held-key table exactly as every key code fed it straight, by its
// low 8 bits: each ASCII code and each special key freeglut sends (F1 to F12, the cursor and
// editing keys 100 to 108, the modifiers 109 to 119), pressed and released, sets the same flags.
TEST_F(KeyHandlerGl, TheDefaultKeysHoldWhatTheirCodesHeldBefore) {
    const auto flags = [](const CInput& input) {
        return std::vector<int>{input.GetUp(),    input.GetDown(), input.GetLeft(),
                                input.GetRight(), input.GetFire(), input.GetAccelerate()};
    };
    const auto holdAll = [](CInput& input) {
        for (const int code : {'d', 'e', 'f', 'g', 'y', ' '}) {
            input.KeyDown(code, 0, 0);
        }
    };
    std::vector<std::pair<bool, int>> keyCodes;
    for (int code = 0; code < 256; ++code) {
        if (code != 27 && code != 'q') { // they quit
            keyCodes.emplace_back(false, code);
        }
    }
    for (int code = 1; code <= 119; code = code == 12 ? 100 : code + 1) {
        keyCodes.emplace_back(true, code);
    }
    for (const auto& [special, code] : keyCodes) {
        CInput handled;
        CInput direct;
        CRenderSettings settings;
        CKeyHandler keys(nullptr, &handled, &settings);
        special ? keys.SpecialKeyDown(code, 0, 0) : keys.KeyDown(code, 0, 0);
        direct.KeyDown(code, 0, 0);
        EXPECT_EQ(flags(handled), flags(direct)) << (special ? "special " : "") << code;
        holdAll(handled);
        holdAll(direct);
        special ? keys.SpecialKeyUp(code, 0, 0) : keys.KeyUp(code, 0, 0);
        direct.KeyUp(code, 0, 0);
        EXPECT_EQ(flags(handled), flags(direct)) << (special ? "special " : "") << code;
    }
}

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

// Commands moved by keys.txt reach the game from their new keys, and their old keys are free.
TEST_F(KeyHandlerGameGl, ReboundCommandsComeFromTheirNewKeys) {
    Make(0, 120, &FixedSeed, 2);
    std::vector<std::string> problems;
    const CKeyBindings bindings = CKeyBindings::Parse(
        "sound F4\npause m\nfull-screen TAB\nframe-rate x\nhelp 1\n", "keys.txt", problems);
    ASSERT_TRUE(problems.empty());
    CKeyHandler keys(game.get(), &input, &settings, bindings);
    const bool soundWasOn = game->IsSoundOn();
    keys.SpecialKeyDown(GLUT_KEY_F4, 0, 0);
    EXPECT_NE(game->IsSoundOn(), soundWasOn);
    EXPECT_FALSE(game->IsPaused()) << "F4 pauses no more";
    keys.KeyDown('x', 0, 0);
    EXPECT_EQ(settings.GetHideFps(), 1);
    EXPECT_EQ(Message(), "FPS OFF");
    keys.KeyDown('1', 0, 0);
    EXPECT_EQ(Message(), "SORRY. NO HLP");
    EXPECT_EQ(game->GetHud()->GetMessageStyle(), 1);
    EXPECT_EQ(keys.KeyDown('\t', 0, 0), CKeyHandler::EAction::ToggleFullScreen);
    EXPECT_EQ(keys.SpecialKeyDown(GLUT_KEY_F11, 0, 0), CKeyHandler::EAction::CarryOn);
    keys.KeyDown('m', 0, 0);
    EXPECT_TRUE(game->IsPaused());
}

} // namespace
