#include "GlFixture.h"
#include "render/ScaledFrame.h"

#include <vector>

namespace {

class ScaledFrameGl : public GlFixture {
protected:
    // A scene that fills its viewport: red on the left half, green on the right.
    static void DrawScene() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glColor3f(1.0f, 0.0f, 0.0f);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(0.0f, -1.0f);
        glVertex2f(0.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glColor3f(0.0f, 1.0f, 0.0f);
        glVertex2f(0.0f, -1.0f);
        glVertex2f(1.0f, -1.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glEnd();
    }

    std::vector<GLubyte> Frame() const {
        std::vector<GLubyte> rgba(800 * 600 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    void ExpectColour(int x, int y, GLubyte red, GLubyte green) {
        GLubyte rgba[4];
        ReadPixel(x, y, rgba);
        EXPECT_EQ(rgba[0], red) << x << ", " << y;
        EXPECT_EQ(rgba[1], green) << x << ", " << y;
        EXPECT_EQ(rgba[2], 0) << x << ", " << y;
    }
};

TEST_F(ScaledFrameGl, AtFullScaleItTouchesNothing) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawScene();
    const std::vector<GLubyte> plain = Frame();
    CScaledFrame scaled;
    glClear(GL_COLOR_BUFFER_BIT);
    scaled.Begin(100);
    DrawScene();
    scaled.End();
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 0) << "no texture made";
    EXPECT_TRUE(Frame() == plain);
}

TEST_F(ScaledFrameGl, AScaledSceneFillsThePictureAndLeavesTheStateForTheHud) {
    glEnable(GL_LIGHTING); // as the game leaves it, with wireframe on and a texture bound
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glBindTexture(GL_TEXTURE_2D, 7);
    glMatrixMode(GL_MODELVIEW);
    CScaledFrame scaled;
    for (const int percent : {85, 70, 50}) {
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        scaled.Begin(percent);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800 * percent / 100);
        EXPECT_EQ(viewport[3], 600 * percent / 100);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        DrawScene();
        glPopAttrib();
        scaled.End();

        // Red to the left edge, green to the right, bottom to top: no blue, no seam.
        for (const int y : {0, 300, 599}) {
            ExpectColour(0, y, 255, 0);
            ExpectColour(390, y, 255, 0);
            ExpectColour(410, y, 0, 255);
            ExpectColour(799, y, 0, 255);
        }
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800) << "the HUD is drawn at full size";
        EXPECT_EQ(viewport[3], 600);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 7);
        EXPECT_EQ(GetInteger(GL_MATRIX_MODE), GL_MODELVIEW);
        GLint polygonMode[2];
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        EXPECT_EQ(polygonMode[0], GL_LINE);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

} // namespace
