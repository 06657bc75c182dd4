#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

namespace {

TEST(Input, AllFlagsStartReleased) {
    const CInput input;
    EXPECT_EQ(input.GetUp() | input.GetDown() | input.GetLeft() | input.GetRight() |
                  input.GetFire() | input.GetAccelerate(),
              0);
}

TEST(Input, ArrowKeysAndLettersDEFGShareTheSteeringFlags) {
    CInput input;
    input.KeyDown(GLUT_KEY_RIGHT, 0, 0);
    input.KeyDown('d', 0, 0);
    EXPECT_EQ(input.GetLeft(), 1);
    EXPECT_EQ(input.GetRight(), 1);
    input.KeyUp(GLUT_KEY_LEFT, 0, 0); // the arrow releases what d set
    EXPECT_EQ(input.GetLeft(), 0);
    EXPECT_EQ(input.GetRight(), 1);

    input.KeyDown('e', 0, 0);
    input.KeyDown('g', 0, 0);
    EXPECT_EQ(input.GetUp(), 1);
    EXPECT_EQ(input.GetDown(), 1);
    input.KeyUp('f', 0, 0);
    EXPECT_EQ(input.GetRight(), 0);
}

TEST(Input, YAndZShareFireAndEitherReleaseClearsIt) {
    CInput input;
    input.KeyDown('y', 0, 0);
    input.KeyDown('z', 0, 0);
    input.KeyUp('z', 0, 0);
    EXPECT_EQ(input.GetFire(), 0);
}

TEST(Input, SpaceAccelerates) {
    CInput input;
    input.KeyDown(' ', 0, 0);
    EXPECT_EQ(input.GetAccelerate(), 1);
    input.KeyUp(' ', 0, 0);
    EXPECT_EQ(input.GetAccelerate(), 0);
}

TEST(Input, UpperCaseAndOtherKeysSetNothing) {
    CInput input;
    for (int key :
         std::initializer_list<int>{'Y', 'Z', 'D', 'E', 'F', 'G', 'k', 'p', 'a', GLUT_KEY_F1,
                                    GLUT_KEY_F12, GLUT_KEY_HOME, GLUT_KEY_PAGE_UP}) {
        input.KeyDown(key, 0, 0);
    }
    EXPECT_EQ(input.GetUp() | input.GetDown() | input.GetLeft() | input.GetRight() |
                  input.GetFire() | input.GetAccelerate(),
              0);
}

TEST(Input, OnlyTheLowEightBitsOfTheCodeCount) {
    CInput input;
    input.KeyDown(0x100 | 'y', 0, 0);
    EXPECT_EQ(input.GetFire(), 1);
}

TEST(Input, ClearReleasesEverything) {
    CInput input;
    for (int key : std::initializer_list<int>{GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_LEFT,
                                              GLUT_KEY_RIGHT, 'y', ' '}) {
        input.KeyDown(key, 0, 0);
    }
    input.Clear();
    EXPECT_EQ(input.GetUp() | input.GetDown() | input.GetLeft() | input.GetRight() |
                  input.GetFire() | input.GetAccelerate(),
              0);
}

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

TEST(KeyHandler, FunctionKeysFlipTheirTogglesAndArrowsSteer) {
    CInput input;
    CRenderSettings settings;
    CKeyHandler keys(nullptr, &input, &settings);
    const struct {
        int key;
        int (CRenderSettings::*get)() const;
        int initial;
    } toggles[] = {
        {GLUT_KEY_F2, &CRenderSettings::GetHideFps, 0},
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
        keys.SpecialKeyDown(toggle.key, 0, 0);
        EXPECT_EQ((settings.*toggle.get)(), toggle.initial) << "key " << toggle.key;
    }
    keys.SpecialKeyDown(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(input.GetUp(), 1);
    keys.KeyUp(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(input.GetUp(), 0);
}

} // namespace
