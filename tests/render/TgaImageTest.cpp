#include "render/TgaImage.h"

#include "TgaBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

int ReadInto(CTgaImage& image, const std::string& bytes) {
    std::istringstream in(bytes);
    return image.ReadFrom(in);
}

std::vector<std::uint8_t> PixelsOf(const CTgaImage& image) {
    const std::size_t size =
        static_cast<std::size_t>(image.GetWidth()) * image.GetHeight() * image.GetBytesPerPixel();
    return {image.GetPixels(), image.GetPixels() + size};
}

STgaBytes TwoByOneRgb() {
    STgaBytes tga;
    tga.width = 2;
    tga.height = 1;
    tga.pixels = {10, 20, 30, 40, 50, 60};
    return tga;
}

void ExpectEmpty(const CTgaImage& image) {
    EXPECT_EQ(image.GetPixels(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
}

TEST(TgaImage, TrueColourComesOutRedFirst) {
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, TwoByOneRgb().Bytes()), 1);
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(image.GetHeight(), 1);
    EXPECT_EQ(image.GetImageType(), 2);
    EXPECT_EQ(image.GetBytesPerPixel(), 3);
    EXPECT_EQ(image.HasAlpha(), 0);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
}

TEST(TgaImage, ThirtyTwoBitsKeepAlphaInPlace) {
    STgaBytes tga;
    tga.pixelDepth = 32;
    tga.descriptor = 8;
    tga.pixels = {10, 20, 30, 40};
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, tga.Bytes()), 1);
    EXPECT_EQ(image.HasAlpha(), 1);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 40}));
}

TEST(TgaImage, RowsStayInFileOrderWhateverTheOrigin) {
    for (const std::uint8_t descriptor : {0x00, 0x20}) {
        STgaBytes tga;
        tga.height = 2;
        tga.descriptor = descriptor;
        tga.pixels = {1, 2, 3, 4, 5, 6};
        CTgaImage image;
        ASSERT_EQ(ReadInto(image, tga.Bytes()), 1);
        EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
    }
}

TEST(TgaImage, EightBitGreyIsReadAsIs) {
    STgaBytes tga;
    tga.imageType = 3;
    tga.pixelDepth = 8;
    tga.width = 3;
    tga.pixels = {7, 8, 9};
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, tga.Bytes()), 1);
    EXPECT_EQ(image.GetBytesPerPixel(), 1);
    EXPECT_EQ(image.HasAlpha(), 0);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST(TgaImage, ImageIdAndColourMapAreSkippedNotTakenForPixels) {
    STgaBytes tga = TwoByOneRgb();
    tga.imageId = "made by zelkora";
    tga.colourMapType = 1;
    tga.colourMapLength = 3;
    tga.colourMapEntryBits = 15; // two bytes an entry
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, tga.Bytes()), 1);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
}

TEST(TgaImage, BytesAfterThePixelsAreIgnored) {
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, TwoByOneRgb().Bytes() + "TRUEVISION-XFILE.\0"), 1);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
}

TEST(TgaImage, RefusesWhatTheUploadCannotTake) {
    struct SCase {
        const char* what;
        std::uint8_t imageType;
        std::uint8_t pixelDepth;
    };
    const SCase cases[] = {
        {"run-length true colour", 10, 24},
        {"colour-mapped", 1, 8},
        {"no image data", 0, 24},
        {"16-bit true colour", 2, 16},
        {"8-bit true colour", 2, 8},
        {"16-bit grey", 3, 16},
        {"odd depth", 2, 25},
    };
    for (const SCase& c : cases) {
        STgaBytes tga;
        tga.imageType = c.imageType;
        tga.pixelDepth = c.pixelDepth;
        tga.pixels.assign(16, 0);
        CTgaImage image;
        EXPECT_EQ(ReadInto(image, tga.Bytes()), 0) << c.what;
        ExpectEmpty(image);
    }
}

TEST(TgaImage, RefusesEmptyNegativeAndOversizedSides) {
    const int sides[][2] = {{0, 1}, {1, 0}, {-1, 1}, {1, -32768}, {16385, 1}, {1, 16385}};
    for (const auto& side : sides) {
        STgaBytes tga;
        tga.width = side[0];
        tga.height = side[1];
        tga.pixels.assign(16385 * 3, 0);
        CTgaImage image;
        EXPECT_EQ(ReadInto(image, tga.Bytes()), 0) << side[0] << " x " << side[1];
        ExpectEmpty(image);
    }
    STgaBytes widest;
    widest.width = CTgaImage::kMaxSide;
    widest.pixels.assign(CTgaImage::kMaxSide * 3, 0);
    CTgaImage image;
    EXPECT_EQ(ReadInto(image, widest.Bytes()), 1);
}

TEST(TgaImage, AShortFileFailsInsteadOfDeliveringUndefinedPixels) {
    const std::string whole = TwoByOneRgb().Bytes();
    for (const std::size_t cut : {std::size_t{0}, std::size_t{17}, whole.size() - 1}) {
        CTgaImage image;
        EXPECT_EQ(ReadInto(image, whole.substr(0, cut)), 0) << cut << " bytes";
        ExpectEmpty(image);
    }
    STgaBytes idBeyondTheEnd;
    idBeyondTheEnd.imageId = std::string(200, 'x');
    const std::string bytes = idBeyondTheEnd.Bytes();
    CTgaImage image;
    EXPECT_EQ(ReadInto(image, bytes.substr(0, 100)), 0);
}

TEST(TgaImage, AHugeAnnouncedImageInATinyFileFails) {
    STgaBytes tga;
    tga.pixelDepth = 32;
    tga.width = CTgaImage::kMaxSide;
    tga.height = CTgaImage::kMaxSide;
    tga.pixels.assign(64, 1);
    CTgaImage image;
    EXPECT_EQ(ReadInto(image, tga.Bytes()), 0);
    ExpectEmpty(image);
}

TEST(TgaImage, AFailedReadKeepsTheImageThatWasThere) {
    CTgaImage image;
    ASSERT_EQ(ReadInto(image, TwoByOneRgb().Bytes()), 1);
    EXPECT_EQ(ReadInto(image, "garbage"), 0);
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
}

TEST(TgaImage, ReadsFilesAndReportsMissingOnes) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("picture.tga");
    TwoByOneRgb().WriteTo(path);
    CTgaImage image;
    EXPECT_EQ(image.Read(scratch.Join("absent.tga").c_str()), 0);
    EXPECT_EQ(image.Read(nullptr), 0);
    ExpectEmpty(image);
    ASSERT_EQ(image.Read(path.c_str()), 1);
    EXPECT_EQ(PixelsOf(image), (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
}

} // namespace
