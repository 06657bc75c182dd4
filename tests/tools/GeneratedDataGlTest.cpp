// The generated textures loaded by the game's texture registry in a real context, as the game
// loads them at start and on every F5.

#include "GlFixture.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class GeneratedData : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_NE(getcwd(previousDirectory, sizeof previousDirectory), nullptr);
        ASSERT_EQ(chdir(ZELKORA_DATA_DIR), 0); // the table's paths are relative, as in the game
    }
    void TearDown() override {
        if (previousDirectory[0] != '\0') {
            EXPECT_EQ(chdir(previousDirectory), 0);
        }
        GlFixture::TearDown();
    }

    char previousDirectory[4096] = "";
};

TEST_F(GeneratedData, EveryTextureLoadsWithoutAnErrorLineWithAndWithoutMipmaps) {
    CTextureManager registry;
    for (bool mipmaps : {false, true}) {
        ::testing::internal::CaptureStdout();
        registry.LoadAll(mipmaps);
        const std::string output = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(output, "") << (mipmaps ? "with" : "without") << " mipmaps";
        EXPECT_EQ(registry.GetCount(), CTextureManager::kTableSize);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // Texture objects with their pictures: the HUD's has alpha, a wall panel has not.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(registry.Find("hud")));
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(registry.Find("segment1")));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGB);
    registry.DeleteAll();
}

} // namespace
