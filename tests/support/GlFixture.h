#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

class CTextureManager;

// Base fixture for tests that need OpenGL: a fresh real (Mesa) context in its own 800 x 600
// freeglut window for every test, so no state leaks between tests. Skips when no X display.
class GlFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // RGBA of one pixel of the back buffer, (0, 0) at the lower left.
    void ReadPixel(int x, int y, GLubyte rgba[4]) const;
    GLint GetInteger(GLenum name) const;
    // The polygon modes of front and back faces, as the wireframe toggle sets them.
    void ExpectPolygonModes(GLint front, GLint back) const {
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], front);
        EXPECT_EQ(modes[1], back);
    }

    // Loads every row of the texture table where none of the files are: each row keeps its
    // number and stays untextured. The error lines
    // this prints are swallowed.
    static void LoadWithoutFiles(CTextureManager& registry);

private:
    int windowId = 0;
};
