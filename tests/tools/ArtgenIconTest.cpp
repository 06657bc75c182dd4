// The desktop icon: its painter, the PNG it is written as, and the generator's option for it.

#include "Icon.h"
#include "Image.h"
#include "PngWriter.h"
#include "Process.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Mean of the size x size block at (x, y), alpha-weighted colour and alpha, 0 to 1.
CColor BlockMean(const CImage& image, int x, int y, int size) {
    CColor sum(0, 0, 0, 0);
    for (int row = y; row < y + size; ++row) {
        for (int column = x; column < x + size; ++column) {
            const CColor& c = image.At(column, row);
            sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
        }
    }
    const double count = size * size;
    return {sum.r / count, sum.g / count, sum.b / count, sum.a / count};
}

TEST(ArtgenIcon, ClearOutsideTheRoundedSquareAndTheSameDrawingAtEverySize) {
    const CImage small = PaintIcon(64);
    const CImage large = PaintIcon(256);
    ASSERT_EQ(small.GetWidth(), 64);
    ASSERT_EQ(small.GetHeight(), 64);
    for (const CImage* icon : {&small, &large}) {
        const int last = icon->GetWidth() - 1;
        for (const auto& corner : {std::pair{0, 0}, {0, last}, {last, 0}, {last, last}}) {
            EXPECT_EQ(icon->At(corner.first, corner.second).a, 0.0);
        }
        EXPECT_EQ(icon->At(last / 2, last / 2).a, 1.0);
    }
    // Shrunk four times, the large one must look like the small one: nothing drawn in pixels.
    double difference = 0.0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const CColor shrunk = BlockMean(large, 4 * x, 4 * y, 4);
            const CColor& direct = small.At(x, y);
            difference += std::abs(shrunk.r - direct.r * direct.a) +
                          std::abs(shrunk.g - direct.g * direct.a) +
                          std::abs(shrunk.b - direct.b * direct.a) + std::abs(shrunk.a - direct.a);
        }
    }
    EXPECT_LT(difference / (64 * 64 * 4), 0.03); // about 0.01; rings drawn in pixels give 0.1
}

// A picture's rows lie bottom first, a PNG's top first; alpha must survive.
TEST(ArtgenIcon, PngKeepsAlphaAndPutsTheTopRowFirst) {
    CScratchDirectory scratch;
    CImage image(1, 2);
    image.Set(0, 1, CColor(1, 0, 0, 0.5)); // top
    image.Set(0, 0, CColor(0, 0, 1, 1));   // bottom
    const std::string path = scratch.Join("two.png");
    ASSERT_TRUE(WritePng(path, image));
    const SCommandResult raw = RunCommand({"convert", path, "-depth", "8", "rgba:-"}, 30.0);
    ASSERT_EQ(raw.exitCode, 0);
    const std::string expected{'\xff', '\x00', '\x00', '\x80', '\x00', '\x00', '\xff', '\xff'};
    EXPECT_EQ(raw.output, expected);
}

TEST(ArtgenIcon, GeneratorWritesTheIconAndRefusesABadSize) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("icon.png");
    ASSERT_EQ(RunCommand({ZELKORA_ARTGEN, "--icon", "48", path}, 30.0).exitCode, 0);
    EXPECT_EQ(RunCommand({"identify", "-format", "%w %h %[channels]", path}, 30.0).output,
              "48 48 srgba");
    for (const char* size : {"0", "12", "2000", "64px", ""}) {
        const SCommandResult refused = RunCommand({ZELKORA_ARTGEN, "--icon", size, path}, 30.0);
        EXPECT_EQ(refused.exitCode, 2) << size;
        EXPECT_EQ(refused.output,
                  "artgen: icon size must be a whole number from 16 to 1024, not '" +
                      std::string(size) + "'\n");
    }
}

} // namespace
