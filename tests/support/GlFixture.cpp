#include "GlFixture.h"

#include "GameRun.h"
#include "render/TextureManager.h"

#include <GL/glut.h>

namespace {
void InitGlutOnce() {
    static bool initialised = false;
    if (!initialised) {
        int argumentCount = 0;
        glutInit(&argumentCount, nullptr);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        initialised = true;
    }
}
} // namespace

void GlFixture::SetUp() {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    InitGlutOnce();
    glutInitWindowSize(800, 600);
    windowId = glutCreateWindow("Zelkora GL test");
    ASSERT_NE(windowId, 0);
    glutSetWindow(windowId);
    glViewport(0, 0, 800, 600);
    glReadBuffer(GL_BACK);
}

void GlFixture::TearDown() {
    if (windowId != 0) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        // Drawing still queued would otherwise be compiled when the display closes at exit,
        // after LLVM's own exit handlers have run, and crash there.
        glFinish();
        glutDestroyWindow(windowId);
        windowId = 0;
    }
}

void GlFixture::ReadPixel(int x, int y, GLubyte rgba[4]) const {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

GLint GlFixture::GetInteger(GLenum name) const {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void GlFixture::LoadWithoutFiles(CTextureManager& registry) {
    testing::internal::CaptureStdout();
    registry.LoadAll(false); // run from the tests' directory, which has no texture folder
    testing::internal::GetCapturedStdout();
}
