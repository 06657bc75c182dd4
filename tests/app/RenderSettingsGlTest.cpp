#include "GlFixture.h"

#include "app/RenderSettings.h"

namespace {

class RenderSettingsGl : public GlFixture {
protected:
    void ExpectPolygonModes(GLint front, GLint back) {
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], front);
        EXPECT_EQ(modes[1], back);
    }
};

TEST_F(RenderSettingsGl, ConstructionLeavesOpenGlsOwnFill) {
    const CRenderSettings settings;
    EXPECT_EQ(settings.GetSolidFill(), 1);
    ExpectPolygonModes(GL_FILL, GL_FILL);
}

TEST_F(RenderSettingsGl, ContextDrawsIntoTheBackBuffer) {
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GLubyte pixel[4];
    ReadPixel(400, 300, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 0);
}

} // namespace
