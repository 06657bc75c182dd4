#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

// Base fixture for tests that need OpenGL: a fresh real (Mesa) context in its own 800 x 600
// freeglut window for every test, so no state leaks between tests. Skips when no X display.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // RGBA of one pixel of the back buffer, (0, 0) at the lower left.
    void ReadPixel(int x, int y, GLubyte rgba[4]) const;
    GLint GetInteger(GLenum name) const;

private:
    int windowId = 0;
};
