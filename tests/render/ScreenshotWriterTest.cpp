#include "render/ScreenshotWriter.h"

#include "EnvironmentVariable.h"
#include "FileBytes.h"
#include "ToneFiles.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <png.h>

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kTaken = 1709251199; // 2024-02-29 23:59:59 UTC, 2024-03-01 00:59:59 here

// Names come from local time: a zone one hour east of UTC, so the date itself turns over.
class ScreenshotWriter : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override {
        timeZone.reset();
        tzset();
    }

    std::unique_ptr<CEnvironmentVariable> timeZone =
        std::make_unique<CEnvironmentVariable>("TZ", "ZKT-1");
};

// 3 x 2, so a row (9 bytes) is no multiple of 4, and every byte differs.
std::vector<unsigned char> TestPicture() {
    std::vector<unsigned char> rgb(18);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<unsigned char>(i * 14 + 1);
    }
    return rgb;
}

// The file decoded to RGB rows top first; empty when libpng cannot read it as a 3 x 2 PNG.
std::vector<unsigned char> DecodeRgb(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()) || image.width != 3 ||
        image.height != 2) {
        png_image_free(&image);
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        return {};
    }
    return rgb;
}

std::string SaveCapturingOutput(const CScreenshotWriter& writer,
                                const std::vector<unsigned char>& rgb, int width, int height,
                                std::string& printed) {
    testing::internal::CaptureStdout();
    const std::string path = writer.Save(rgb, width, height, kTaken);
    printed = testing::internal::GetCapturedStdout();
    return path;
}

TEST_F(ScreenshotWriter, SavesThePixelsExactlyUnderTheTimeWithoutOverwriting) {
    CScratchDirectory scratch;
    const std::string directory = scratch.Join("data/zelkora");
    const CScreenshotWriter writer(directory);
    const std::string base = directory + "/zelkora-20240301-005959";
    const char* const expected[] = {".png", "-2.png", "-4.png"};
    std::vector<unsigned char> picture = TestPicture();
    for (const char* suffix : expected) {
        if (std::string(suffix) == "-4.png") {
            WriteFileBytes(base + "-3.png", "someone else's"); // a gap is no free name
        }
        std::string printed;
        EXPECT_EQ(SaveCapturingOutput(writer, picture, 3, 2, printed), base + suffix);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(DecodeRgb(base + suffix), picture) << suffix;
        picture[0] += 1; // each file keeps its own picture
    }
    EXPECT_EQ(DecodeRgb(base + ".png"), TestPicture());
    EXPECT_EQ(ReadFileBytes(base + "-3.png"), "someone else's");
}

TEST_F(ScreenshotWriter, FailuresGiveOneLineAndNoPath) {
    CScratchDirectory scratch;
    WriteFileBytes(scratch.Join("plain"), "");
    struct SCase {
        std::string directory;
        int width;
        int height;
        std::size_t bytes;
        std::string line;
    };
    const std::string under = scratch.Join("plain/zelkora");
    const SCase cases[] = {
        {under, 3, 2, 18, "screenshot: cant save in " + under + " (Not a directory)\n"},
        {"", 3, 2, 18,
         "screenshot: cant save in the data directory (no data directory: neither XDG_DATA_HOME "
         "nor HOME is an absolute path)\n"},
        {scratch.GetPath(), 3, 2, 17,
         "screenshot: cant encode the picture (17 bytes are no 3 x 2 RGB picture)\n"},
        {scratch.GetPath(), 0, 0, 0,
         "screenshot: cant encode the picture (0 bytes are no 0 x 0 RGB picture)\n"},
    };
    for (const SCase& c : cases) {
        std::string printed;
        const CScreenshotWriter writer(c.directory);
        EXPECT_EQ(SaveCapturingOutput(writer, std::vector<unsigned char>(c.bytes), c.width,
                                      c.height, printed),
                  "");
        EXPECT_EQ(printed, c.line);
    }
    EXPECT_EQ(fs::directory_iterator(scratch.GetPath())->path().filename(), "plain");
}

} // namespace
