#include "app/Input.h"

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

} // namespace
