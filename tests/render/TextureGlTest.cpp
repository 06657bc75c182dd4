#include "GlFixture.h"
#include "TgaBytes.h"
#include "ToneFiles.h"

#include "render/Texture.h"

#include <vector>

namespace {

class TextureGl : public GlFixture {
protected:
    // Writes the file and makes it texture number 7, with or without mipmaps.
    void Make(const STgaBytes& tga, bool mipmapped) {
        tga.WriteTo(path);
        texture = std::make_unique<CTexture>("picture", path.c_str(), 7);
        if (mipmapped) {
            texture->LoadMipmapped();
        } else {
            texture->Load();
        }
    }

    GLint LevelParameter(GLenum name, GLint level = 0) const {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    }

    GLint Parameter(GLenum name) const {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    // Level 0 of the bound texture as tightly packed bytes.
    std::vector<GLubyte> Texels(GLenum format, int bytesPerTexel) const {
        std::vector<GLubyte> texels(static_cast<std::size_t>(LevelParameter(GL_TEXTURE_WIDTH)) *
                                    LevelParameter(GL_TEXTURE_HEIGHT) * bytesPerTexel);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    CScratchDirectory scratch;
    std::string path = scratch.Join("picture.tga");
    std::unique_ptr<CTexture> texture;
};

STgaBytes Rgba2x1() {
    STgaBytes tga;
    tga.width = 2;
    tga.pixelDepth = 32;
    tga.pixels = {10, 20, 30, 40, 50, 60, 70, 80};
    return tga;
}

TEST_F(TextureGl, ThirtyTwoBitsGiveRgbaWithTheFilesAlpha) {
    Make(Rgba2x1(), false);
    EXPECT_EQ(texture->GetTextureId(), 7u);
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 7);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(Texels(GL_RGBA, 4), (std::vector<GLubyte>{30, 20, 10, 40, 70, 60, 50, 80}));
}

TEST_F(TextureGl, TwentyFourBitsGiveRgbWithBlueAndRedExchanged) {
    STgaBytes tga;
    tga.pixels = {10, 20, 30};
    Make(tga, false);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(Texels(GL_RGB, 3), (std::vector<GLubyte>{30, 20, 10}));
}

TEST_F(TextureGl, TheFilesFirstRowIsTheTexturesFirstRow) {
    for (const std::uint8_t descriptor : {0x00, 0x20}) { // lower-left and upper-left origin
        STgaBytes tga;
        tga.height = 2;
        tga.descriptor = descriptor;
        tga.pixels = {0, 0, 255, 255, 0, 0}; // red, then blue
        Make(tga, false);
        EXPECT_EQ(Texels(GL_RGB, 3), (std::vector<GLubyte>{255, 0, 0, 0, 0, 255}));
    }
}

TEST_F(TextureGl, EightBitGreyBecomesALuminanceTexture) {
    STgaBytes tga;
    tga.imageType = 3;
    tga.pixelDepth = 8;
    tga.width = 2;
    tga.pixels = {40, 200};
    Make(tga, false);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_LUMINANCE);
    EXPECT_EQ(Texels(GL_LUMINANCE, 1), (std::vector<GLubyte>{40, 200}));
}

TEST_F(TextureGl, FiltersAreNearestOrNearestMipmapLinear) {
    Make(Rgba2x1(), false);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH, 1), 0);

    Make(Rgba2x1(), true);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH, 1), 1); // the chain goes down to 1 x 1
    EXPECT_EQ(LevelParameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
}

// Rows of 3 x 3 = 9 bytes: under the default unpack alignment of 4 OpenGL would take them as
// 12 bytes apart and read past the end of the pixels.
TEST_F(TextureGl, RowsOfAnyLengthUploadExactlyAndTheAlignmentIsGivenBack) {
    STgaBytes tga;
    tga.width = 3;
    tga.height = 2;
    for (std::uint8_t value = 1; value <= 18; ++value) {
        tga.pixels.push_back(value);
    }
    ASSERT_EQ(GetInteger(GL_UNPACK_ALIGNMENT), 4);
    Make(tga, false);
    EXPECT_EQ(Texels(GL_RGB, 3), (std::vector<GLubyte>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15,
                                                       14, 13, 18, 17, 16}));
    EXPECT_EQ(GetInteger(GL_UNPACK_ALIGNMENT), 4);

    // GLU scales other sizes to powers of two, so the mipmapped case takes 2 x 2 (6-byte rows).
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    tga.width = 2;
    tga.pixels.resize(12);
    Make(tga, true);
    EXPECT_EQ(Texels(GL_RGB, 3), (std::vector<GLubyte>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    EXPECT_EQ(GetInteger(GL_UNPACK_ALIGNMENT), 2);
}

// Each failure gives the one line, and the number is still taken: a texture object without an
// image, bound, with its filters.
TEST_F(TextureGl, AnUnusableFileIsReportedAndStillTakesItsNumber) {
    STgaBytes runLength;
    runLength.imageType = 10;
    runLength.pixels = {0x80, 1, 2, 3};
    STgaBytes truncated = Rgba2x1();
    truncated.pixels.resize(5);
    STgaBytes zeroWide = Rgba2x1();
    zeroWide.width = 0;

    for (const STgaBytes* tga : {&runLength, &truncated, &zeroWide}) {
        testing::internal::CaptureStdout();
        Make(*tga, true);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ERROR! CTexture cant open file " + path + "\n");
        EXPECT_EQ(texture->GetTextureId(), 7u);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 7);
        EXPECT_EQ(LevelParameter(GL_TEXTURE_WIDTH), 0);
        EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
        const GLuint used = 7;
        glDeleteTextures(1, &used);
    }

    CTexture missing("missing", "texture/nothing-here.tga", 8);
    EXPECT_EQ(missing.GetTextureId(), 0u);
    testing::internal::CaptureStdout();
    missing.Load();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR! CTexture cant open file texture/nothing-here.tga\n");
    EXPECT_EQ(missing.GetTextureId(), 8u);
    EXPECT_TRUE(glIsTexture(8));
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
}

} // namespace
