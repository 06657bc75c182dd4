#include "GlFixture.h"

#include "render/ScreenshotWriter.h"

#include <vector>

namespace {

void FillRectangle(GLint x, GLint y, GLsizei width, GLsizei height, float r, float g, float b) {
    glScissor(x, y, width, height);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

using ScreenshotWriterGl = GlFixture;

TEST_F(ScreenshotWriterGl, ReadFrameGivesTheBackBufferTopRowFirstAndRestoresPackState) {
    glEnable(GL_SCISSOR_TEST);
    glDrawBuffer(GL_FRONT);
    FillRectangle(0, 0, 800, 600, 0.0f, 0.0f, 1.0f); // never to be read
    glDrawBuffer(GL_BACK);
    FillRectangle(0, 0, 800, 600, 0.0f, 0.0f, 0.0f);
    FillRectangle(10, 20, 2, 1, 1.0f, 0.0f, 0.0f);
    FillRectangle(10, 21, 1, 1, 0.0f, 1.0f, 0.0f);
    glDisable(GL_SCISSOR_TEST);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);

    // Three pixels a row: 9 bytes, which only packing by 1 keeps without padding.
    const std::vector<unsigned char> frame = CScreenshotWriter::ReadFrame(10, 20, 3, 2);

    const std::vector<unsigned char> expected = {
        0,   255, 0, 0,   0, 0, 0, 0, 0, // y = 21, the upper row
        255, 0,   0, 255, 0, 0, 0, 0, 0, // y = 20
    };
    EXPECT_EQ(frame, expected);
    EXPECT_EQ(GetInteger(GL_PACK_ALIGNMENT), 8);
    EXPECT_EQ(GetInteger(GL_READ_BUFFER), GL_FRONT);
    EXPECT_TRUE(CScreenshotWriter::ReadFrame(0, 0, 0, 600).empty());
}

} // namespace
