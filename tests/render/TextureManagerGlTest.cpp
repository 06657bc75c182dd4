#include "GlFixture.h"
#include "TgaBytes.h"
#include "ToneFiles.h"

#include "render/TextureManager.h"

#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Runs each test in a scratch directory holding texture/ with all 43 files, since the table's
// paths are relative to the working directory.
class TextureManagerGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        previousDirectory = fs::current_path();
        fs::create_directory(scratch.Join("texture"));
        fs::current_path(scratch.GetPath());
        WriteAll(1);
    }

    void TearDown() override {
        if (!previousDirectory.empty()) {
            fs::current_path(previousDirectory);
        }
        GlFixture::TearDown();
    }

    // Every file a 2 x 2 picture whose texels read (number, generation, 200, 255).
    static void WriteAll(std::uint8_t generation) {
        for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
            STgaBytes tga;
            tga.width = 2;
            tga.height = 2;
            tga.pixelDepth = 32;
            for (int texel = 0; texel < 4; ++texel) {
                tga.pixels.insert(tga.pixels.end(),
                                  {200, generation, static_cast<std::uint8_t>(number), 255});
            }
            tga.WriteTo(CTextureManager::GetTablePath(number));
        }
    }

    // Binds each number and reads its image back; a number in `blank` must have none.
    void ExpectNumbersBindTheirOwnImages(std::uint8_t generation, GLenum minFilter,
                                         int blank = 0) const {
        for (GLuint number = 1; number <= CTextureManager::kTableSize; ++number) {
            glBindTexture(GL_TEXTURE_2D, number);
            GLint width = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            GLint filter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
            EXPECT_EQ(filter, static_cast<GLint>(minFilter)) << "texture " << number;
            if (static_cast<int>(number) == blank) {
                EXPECT_EQ(width, 0) << "texture " << number;
                continue;
            }
            ASSERT_EQ(width, 2) << "texture " << number;
            GLubyte texels[16] = {};
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
            EXPECT_EQ(texels[0], number) << "texture " << number;
            EXPECT_EQ(texels[1], generation) << "texture " << number;
        }
    }

    CScratchDirectory scratch;
    fs::path previousDirectory;
};

TEST_F(TextureManagerGl, FindGivesTheRowPositionOfTheExactName) {
    CTextureManager registry;
    EXPECT_EQ(registry.Find("segment1"), 0); // nothing loaded yet
    registry.LoadAll(false);
    EXPECT_EQ(registry.GetCount(), 43);
    EXPECT_EQ(registry.Find("segment1"), 1);
    EXPECT_EQ(registry.Find("msgbox"), 10);
    EXPECT_EQ(registry.Find("enemy_14"), 43);
    EXPECT_EQ(registry.Find("Segment1"), 0);
    EXPECT_EQ(registry.Find("enemy_15"), 0);
    EXPECT_EQ(registry.Find("segment1 "), 0);
    EXPECT_EQ(registry.Find(""), 0);
    EXPECT_EQ(registry.Find(nullptr), 0);
    for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
        EXPECT_EQ(registry.Find(CTextureManager::GetTableName(number)), number);
    }
    EXPECT_STREQ(CTextureManager::GetTablePath(30), "texture/e1.tga");
    EXPECT_EQ(CTextureManager::GetTableName(0), nullptr);
    EXPECT_EQ(CTextureManager::GetTableName(44), nullptr);
}

// Mesa hands out fresh names after a delete rather than the freed ones in order, so this holds
// only because each row binds its own number.
TEST_F(TextureManagerGl, EachNumberBindsItsOwnImageAcrossReloads) {
    CTextureManager registry;
    registry.LoadAll(false);
    ExpectNumbersBindTheirOwnImages(1, GL_NEAREST);

    GLuint others[3] = {};
    glGenTextures(3, others); // names the driver hands out meanwhile must not matter
    WriteAll(2);
    registry.LoadAll(true);
    ExpectNumbersBindTheirOwnImages(2, GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(registry.Find("msgbox"), 10);

    WriteAll(3);
    registry.LoadAll(false);
    ExpectNumbersBindTheirOwnImages(3, GL_NEAREST);
    EXPECT_EQ(registry.Find("enemy_14"), 43);
    glDeleteTextures(3, others);
}

TEST_F(TextureManagerGl, AMissingFileKeepsItsRowsNumberAndTheRowsAfterIt) {
    fs::remove("texture/msgbox.tga");
    CTextureManager registry;
    for (const bool mipmaps : {false, true}) {
        testing::internal::CaptureStdout();
        registry.LoadAll(mipmaps);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ERROR! CTexture cant open file texture/msgbox.tga\n");
        EXPECT_EQ(registry.GetCount(), 43);
        EXPECT_EQ(registry.Find("msgbox"), 10);
        EXPECT_EQ(registry.Find("laser"), 11);
        ExpectNumbersBindTheirOwnImages(1, mipmaps ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST, 10);
    }
}

TEST_F(TextureManagerGl, DeleteAllRemovesTheRegistrysTexturesAndNoOthers) {
    CTextureManager registry;
    registry.DeleteAll(); // empty: nothing to do
    registry.LoadAll(false);
    const GLuint foreign = 100;
    glBindTexture(GL_TEXTURE_2D, foreign);
    registry.DeleteAll();
    EXPECT_EQ(registry.GetCount(), 0);
    EXPECT_EQ(registry.Find("segment1"), 0);
    for (GLuint number = 1; number <= CTextureManager::kTableSize; ++number) {
        EXPECT_FALSE(glIsTexture(number)) << "texture " << number;
    }
    EXPECT_TRUE(glIsTexture(foreign));
}

TEST_F(TextureManagerGl, AddAppendsTheNextNumberAndClearingKeepsTheTextureObjects) {
    {
        CTextureManager registry;
        registry.LoadAll(false);
        registry.Add("extra", "texture/hud.tga", false);
        EXPECT_EQ(registry.Find("extra"), 44);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 44);
        registry.Clear();
        EXPECT_EQ(registry.GetCount(), 0);
        EXPECT_TRUE(glIsTexture(1));
        registry.LoadAll(false); // after Clear there is nothing to delete: same numbers again
        EXPECT_EQ(registry.Find("hud"), 9);
    }
    ExpectNumbersBindTheirOwnImages(1, GL_NEAREST); // the destructor leaves them too
}

} // namespace
