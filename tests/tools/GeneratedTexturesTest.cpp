// The generated textures, read back with the game's own TGA reader: every row of the texture
// table exists in a form the game can upload, and the layouts other code relies on hold.

#include "render/TextureManager.h"
#include "render/TgaImage.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string DataPath(const std::string& relative) {
    return std::string(ZELKORA_DATA_DIR) + "/" + relative;
}

// A texture read from the data directory, with texel access by texture coordinates' axes:
// x to the right, y upward from the first row in the file (v = 0).
class CPicture {
public:
    explicit CPicture(const std::string& relative) {
        loaded = image.Read(DataPath(relative).c_str()) == 1;
    }
    bool IsLoaded() const { return loaded; }
    int Width() const { return image.GetWidth(); }
    int Height() const { return image.GetHeight(); }
    int Channel(int x, int y, int channel) const {
        const int bytes = image.GetBytesPerPixel();
        return image.GetPixels()[(static_cast<size_t>(y) * Width() + x) * bytes + channel];
    }
    int Alpha(int x, int y) const { return image.HasAlpha() ? Channel(x, y, 3) : 255; }
    double Luminance(int x, int y) const {
        return 0.3 * Channel(x, y, 0) + 0.59 * Channel(x, y, 1) + 0.11 * Channel(x, y, 2);
    }
    // How many texels in the rectangle [x0, x1) x [y0, y1) satisfy the test.
    int Count(int x0, int y0, int x1, int y1, const std::function<bool(int, int)>& test) const {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                count += test(x, y) ? 1 : 0;
            }
        }
        return count;
    }
    int CountVisible(int x0, int y0, int x1, int y1) const {
        return Count(x0, y0, x1, y1, [&](int x, int y) { return Alpha(x, y) > 0; });
    }

private:
    CTgaImage image;
    bool loaded = false;
};

bool IsPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

TEST(GeneratedTextures, EveryTableRowReadsAsAnUploadableImage) {
    for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
        const std::string path = CTextureManager::GetTablePath(number);
        const CPicture picture(path);
        ASSERT_TRUE(picture.IsLoaded()) << path;
        // OpenGL 1.1 wants powers of two; rows of whole 4-byte words keep any unpack alignment
        // right.
        EXPECT_TRUE(IsPowerOfTwo(picture.Width()) && IsPowerOfTwo(picture.Height())) << path;
        EXPECT_LE(std::max(picture.Width(), picture.Height()), 512) << path;
    }
}

// Cell (column, row) of a sheet of cells x cells, rows counted from the top of the picture, in
// which order the particles play them.
struct SCell {
    int x0, y0, x1, y1;
};
SCell SheetCell(const CPicture& sheet, int cells, int frame) {
    const int column = frame % cells;
    const int row = cells - 1 - frame / cells; // the first frames lie at the highest v
    return {column * sheet.Width() / cells, row * sheet.Height() / cells,
            (column + 1) * sheet.Width() / cells, (row + 1) * sheet.Height() / cells};
}

void ExpectSheetPlaysInOrder(const std::string& path, int cells) {
    const CPicture sheet(path);
    ASSERT_TRUE(sheet.IsLoaded()) << path;
    const int frames = cells * cells;
    std::vector<int> visible;
    for (int frame = 0; frame < frames; ++frame) {
        const SCell cell = SheetCell(sheet, cells, frame);
        // A clear border, so neighbouring cells never bleed into a particle's square.
        const int border = sheet.Count(cell.x0, cell.y0, cell.x1, cell.y1, [&](int x, int y) {
            const bool edge =
                x - cell.x0 < 2 || cell.x1 - 1 - x < 2 || y - cell.y0 < 2 || cell.y1 - 1 - y < 2;
            return edge && sheet.Alpha(x, y) > 0;
        });
        EXPECT_EQ(border, 0) << path << " frame " << frame;
        visible.push_back(sheet.CountVisible(cell.x0, cell.y0, cell.x1, cell.y1));
    }
    EXPECT_GT(visible.front(), 0) << path << ": the first frame shows something";
    EXPECT_GT(visible[frames / 2], visible.front()) << path << ": the puff grows";
    // Dead particles keep their last cell: it must be empty so they vanish.
    EXPECT_EQ(visible.back(), 0) << path;
}

TEST(GeneratedTextures, SpriteSheetsRunFromTheTopRowDownAndEndEmpty) {
    ExpectSheetPlaysInOrder("texture/explosion.tga", 4);
    ExpectSheetPlaysInOrder("texture/smoke.tga", 3);
    ExpectSheetPlaysInOrder("texture/explosion2.tga", 4);
    ExpectSheetPlaysInOrder("texture/firework.tga", 4);
}

TEST(GeneratedTextures, FireballCoolsFromHotToDark) {
    const CPicture sheet("texture/explosion.tga");
    ASSERT_TRUE(sheet.IsLoaded());
    auto meanBrightness = [&](int frame) {
        const SCell cell = SheetCell(sheet, 4, frame);
        double sum = 0.0;
        int count = 0;
        for (int y = cell.y0; y < cell.y1; ++y) {
            for (int x = cell.x0; x < cell.x1; ++x) {
                if (sheet.Alpha(x, y) > 128) {
                    sum += sheet.Luminance(x, y);
                    ++count;
                }
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    EXPECT_GT(meanBrightness(1), meanBrightness(8) + 30.0);
}

TEST(GeneratedTextures, HudKeepsItsRegionsWhereTheBarsAndIndicatorReadThem) {
    const CPicture hud("texture/hud.tga");
    ASSERT_TRUE(hud.IsLoaded());
    ASSERT_EQ(hud.Width(), 256);
    ASSERT_EQ(hud.Height(), 256);
    EXPECT_EQ(hud.CountVisible(0, 0, 256, 64), 0) << "below v 0.25 nothing is read";
    // The bars grow outward from the middle of the strip: the middle is always in view.
    EXPECT_GT(hud.CountVisible(112, 64, 128, 128), 100) << "energy end at the middle";
    EXPECT_GT(hud.CountVisible(128, 64, 144, 128), 100) << "speed start at the middle";
    EXPECT_GT(hud.CountVisible(0, 64, 16, 128), 100) << "full energy end";
    EXPECT_GT(hud.CountVisible(240, 64, 256, 128), 100) << "full speed end";
    EXPECT_EQ(hud.CountVisible(0, 192, 64, 256), 0) << "there is no turn level -0";
    // Turn cells: levels 0 to 3 in the row from v 0.5, -1 to -3 in the row from v 0.75. A
    // turn to the right shows more on the right half of its cell, to the left on the left, and
    // a harder turn shows more.
    int previousRight = 0;
    int previousLeft = 0;
    for (int level = 1; level <= 3; ++level) {
        const int x0 = level * 64;
        const int right = hud.CountVisible(x0 + 32, 128, x0 + 64, 192);
        const int rightMirror = hud.CountVisible(x0, 128, x0 + 32, 192);
        const int left = hud.CountVisible(x0, 192, x0 + 32, 256);
        const int leftMirror = hud.CountVisible(x0 + 32, 192, x0 + 64, 256);
        EXPECT_GT(right, rightMirror + 20) << "level " << level;
        EXPECT_GT(left, leftMirror + 20) << "level " << -level;
        EXPECT_GT(right, previousRight) << "level " << level;
        EXPECT_GT(left, previousLeft) << "level " << -level;
        previousRight = right;
        previousLeft = left;
    }
    const int centreLeft = hud.CountVisible(0, 128, 32, 192);
    const int centreRight = hud.CountVisible(32, 128, 64, 192);
    EXPECT_NEAR(centreLeft, centreRight, 8) << "level 0 leans neither way";
}

TEST(GeneratedTextures, MessageBoxHalvesLeaveADarkPlaceForTheText) {
    const CPicture box("texture/msgbox.tga");
    ASSERT_TRUE(box.IsLoaded());
    for (int half : {0, 128}) { // style 1 below v 0.5, style 0 above
        EXPECT_EQ(box.Alpha(0, half), 0) << "rounded corner, half " << half;
        EXPECT_EQ(box.Alpha(255, half + 127), 0) << "rounded corner, half " << half;
        // White text starts 110 texels from the left, 55 up; glyphs reach 11 rows higher.
        double darkest = 0.0;
        for (int y = half + 53; y < half + 67; ++y) {
            for (int x = 110; x < 240; ++x) {
                EXPECT_GT(box.Alpha(x, y), 200) << x << "," << y;
                darkest = std::max(darkest, box.Luminance(x, y));
            }
        }
        EXPECT_LT(darkest, 60.0) << "half " << half;
        EXPECT_GT(box.CountVisible(10, half + 20, 100, half + 100), 3000) << "the emblem";
    }
    // The two looks differ (info and warning).
    EXPECT_NE(box.Channel(60, 60, 0), box.Channel(60, 188, 0));
}

TEST(GeneratedTextures, JointsAreDiscsWithTheirNumberInTheMiddle) {
    for (int number = 0; number <= 10; ++number) {
        const std::string path = "texture/joint_" + std::to_string(number) + ".tga";
        const CPicture joint(path);
        ASSERT_TRUE(joint.IsLoaded()) << path;
        ASSERT_EQ(joint.Width(), joint.Height()) << path;
        const int size = joint.Width();
        // Only the inscribed circle is drawn by the game; outside it nothing shows.
        const int outside = joint.Count(0, 0, size, size, [&](int x, int y) {
            const double r = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
            return r > size / 2.0 && joint.Alpha(x, y) > 0;
        });
        EXPECT_EQ(outside, 0) << path;
        const int c = size / 2;
        const int solid = joint.Count(c - size / 4, c - size / 4, c + size / 4, c + size / 4,
                                      [&](int x, int y) { return joint.Alpha(x, y) > 180; });
        EXPECT_GT(solid, size * size / 40) << path << ": a number big enough to read";
        // The middle is mostly see-through, or the ship flying through would be blinded.
        const int clear = joint.Count(c - size / 4, c - size / 4, c + size / 4, c + size / 4,
                                      [&](int x, int y) { return joint.Alpha(x, y) < 80; });
        EXPECT_GT(clear, size * size / 16) << path;
    }
}

TEST(GeneratedTextures, WallPanelsTileAroundTheTunnelAndJoinEndToEnd) {
    std::vector<CPicture> walls;
    for (int variant = 1; variant <= 7; ++variant) {
        walls.emplace_back("texture/segment" + std::to_string(variant) + ".tga");
        ASSERT_TRUE(walls.back().IsLoaded()) << variant;
    }
    const CPicture& first = walls.front();
    for (size_t i = 0; i < walls.size(); ++i) {
        const CPicture& wall = walls[i];
        ASSERT_EQ(wall.Width(), first.Width());
        ASSERT_EQ(wall.Height(), first.Height());
        // Where t wraps (last row to first row) the change is no bigger than between two
        // ordinary neighbouring rows.
        auto rowStep = [&](int a, int b) {
            double sum = 0.0;
            for (int x = 0; x < wall.Width(); ++x) {
                sum += std::fabs(wall.Luminance(x, a) - wall.Luminance(x, b));
            }
            return sum / wall.Width();
        };
        double typical = 0.0;
        for (int y = 1; y < wall.Height(); ++y) {
            typical += rowStep(y - 1, y);
        }
        typical /= wall.Height() - 1;
        EXPECT_LE(rowStep(wall.Height() - 1, 0), typical * 1.5 + 2.0) << "segment" << i + 1;
        // The ends (s = 0 and s = 1) are the same in every variant, so any two segments meet.
        for (int x : {0, 1, 2, first.Width() - 3, first.Width() - 2, first.Width() - 1}) {
            for (int y = 0; y < first.Height(); ++y) {
                ASSERT_EQ(wall.Luminance(x, y), first.Luminance(x, y))
                    << "segment" << i + 1 << " at " << x << "," << y;
            }
        }
    }
    // The variants are different pictures.
    for (size_t i = 1; i < walls.size(); ++i) {
        const int differing = first.Count(0, 0, first.Width(), first.Height(), [&](int x, int y) {
            return std::fabs(first.Luminance(x, y) - walls[i].Luminance(x, y)) > 20.0;
        });
        EXPECT_GT(differing, first.Width() * first.Height() / 20) << "segment" << i + 1;
    }
}

TEST(GeneratedTextures, TranslucentSpritesFadeOutToTheirEdges) {
    const CPicture puff("texture/vaportail.tga");
    ASSERT_TRUE(puff.IsLoaded());
    EXPECT_GT(puff.Alpha(puff.Width() / 2, puff.Height() / 2), 200);
    EXPECT_EQ(puff.Alpha(0, 0), 0);
    EXPECT_EQ(puff.Alpha(puff.Width() / 2, 0), 0);
    for (const char* path : {"texture/laser2.tga", "texture/laser.tga"}) {
        const CPicture bolt(path);
        ASSERT_TRUE(bolt.IsLoaded());
        EXPECT_EQ(bolt.Alpha(bolt.Width() / 2, bolt.Height() / 2), 255) << path;
        for (int y = 0; y < bolt.Height(); ++y) {
            ASSERT_EQ(bolt.Alpha(0, y), 0) << path << ": the card's long edge stays hidden";
        }
        EXPECT_EQ(bolt.CountVisible(0, 0, bolt.Width(), 1), 0) << path << ": its tip";
    }
}

// Meshes are drawn unlit with the skin replacing the colour, so their light is baked: faces
// pick a shade row by how they face the light. Every skin must get brighter row by row in its
// hull, trim and accent columns, and keep its glow column bright in every row.
TEST(GeneratedTextures, SkinsShadeUpwardRowByRowAndGlowEverywhere) {
    std::vector<std::string> skins{"texture/player1.tga", "texture/uboot5.tga"};
    for (int i = 1; i <= 14; ++i) {
        skins.push_back("texture/e" + std::to_string(i) + ".tga");
    }
    for (const std::string& path : skins) {
        const CPicture skin(path);
        ASSERT_TRUE(skin.IsLoaded()) << path;
        ASSERT_EQ(skin.Width(), 256) << path;
        ASSERT_EQ(skin.Height(), 256) << path;
        auto cellBrightness = [&](int column, int row) {
            double sum = 0.0;
            for (int y = row * 64; y < row * 64 + 64; ++y) {
                for (int x = column * 64; x < column * 64 + 64; ++x) {
                    sum += skin.Luminance(x, y);
                }
            }
            return sum / (64 * 64);
        };
        for (int column = 0; column < 3; ++column) {
            for (int row = 1; row < 4; ++row) {
                EXPECT_GT(cellBrightness(column, row), cellBrightness(column, row - 1) * 1.1)
                    << path << " column " << column << " row " << row;
            }
        }
        for (int row = 0; row < 4; ++row) {
            EXPECT_GT(cellBrightness(3, row), cellBrightness(0, 0)) << path << " glow " << row;
            EXPECT_NEAR(cellBrightness(3, row), cellBrightness(3, 3), 1.0) << path;
        }
    }
}

} // namespace
