// The file encoders the generator, the tests and the benchmarks share, at sizes and rates the
// generated data never uses (it is square, 44.1 kHz and variable bit rate), checked against
// bytes worked out by hand.

#include "Mp3File.h"
#include "TgaFile.h"
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(TgaFile, WideImageHeaderAndTexelPlacesMatchHandWorkedBytes) {
    const int width = 300; // 0x012C: needs the high byte
    const int height = 2;
    Bytes rgb(static_cast<std::size_t>(width) * height * 3, 0);
    const auto setTexel = [&rgb, width](int x, int y, Bytes colour) {
        std::copy(colour.begin(), colour.end(), rgb.begin() + (y * width + x) * 3);
    };
    setTexel(299, 0, {10, 20, 30}); // last of the bottom row
    setTexel(0, 1, {40, 50, 60});   // first of the top row
    const Bytes tga = EncodeTga(width, height, false, rgb);
    ASSERT_EQ(tga.size(), 18u + 300 * 2 * 3);
    const Bytes header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 2, 0, 24, 0};
    EXPECT_EQ(Bytes(tga.begin(), tga.begin() + 18), header);
    EXPECT_EQ(Bytes(tga.begin() + 18 + 299 * 3, tga.begin() + 18 + 300 * 3), Bytes({30, 20, 10}));
    EXPECT_EQ(Bytes(tga.begin() + 18 + 300 * 3, tga.begin() + 18 + 301 * 3), Bytes({60, 50, 40}));

    const Bytes rgba = EncodeTga(1, 1, true, {1, 2, 3, 4});
    EXPECT_EQ(rgba, Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 8, 3, 2, 1, 4}));
}

TEST(TgaFile, RefusesSizesThatDisagreeWithThePixels) {
    EXPECT_TRUE(EncodeTga(2, 1, false, Bytes(5)).empty());             // a byte short
    EXPECT_TRUE(EncodeTga(1, 1, true, Bytes(3)).empty());              // no alpha given
    EXPECT_TRUE(EncodeTga(0, 1, false, {}).empty());                   // nothing to show
    EXPECT_TRUE(EncodeTga(65536, 1, false, Bytes(65536 * 3)).empty()); // beyond the 16-bit field
    EXPECT_FALSE(EncodeTga(65535, 1, false, Bytes(65535 * 3)).empty());
}

TEST(WavFile, StereoHeaderAndSamplesMatchHandWorkedBytesAtAnyRate) {
    const Bytes wav = EncodeWav(22050, 2, {1, -1, 32767, -32768});
    const Bytes expected = {'R',  'I',  'F',  'F',  44,   0,    0, 0,   'W', 'A',
                            'V',  'E',                                          // 36 + data bytes
                            'f',  'm',  't',  ' ',  16,   0,    0, 0,   1,   0, // PCM
                            2,    0,                                            // channels
                            0x22, 0x56, 0,    0,                                // 22050 frames/s
                            0x88, 0x58, 1,    0,                                // 88200 bytes/s
                            4,    0,    16,   0,                                // frame bytes, bits
                            'd',  'a',  't',  'a',  8,    0,    0, 0,           //
                            1,    0,    0xFF, 0xFF, 0xFF, 0x7F, 0, 0x80};       // the samples
    EXPECT_EQ(wav, expected);
}

// A second of a 440 Hz sine, the same on every channel.
std::vector<std::int16_t> Tone(int rate, int channels) {
    std::vector<std::int16_t> samples;
    for (int frame = 0; frame < rate; ++frame) {
        const double value = 8000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * frame / rate);
        samples.insert(samples.end(), channels, static_cast<std::int16_t>(std::lround(value)));
    }
    return samples;
}

// The offset of tag within the first frame (the first 200 bytes), or -1.
int FindInFirstFrame(const Bytes& mp3, const std::string& tag) {
    const auto end = mp3.begin() + std::min<std::size_t>(mp3.size(), 200);
    const auto found = std::search(mp3.begin(), end, tag.begin(), tag.end());
    return found == end ? -1 : static_cast<int>(found - mp3.begin());
}

TEST(Mp3File, ConstantRateStreamHasTheAskedRateAndModeAndNoTag) {
    SMp3Options options;
    options.kbps = 64;
    for (int channels : {1, 2}) {
        std::string error;
        const Bytes mp3 = EncodeMp3(44100, channels, Tone(44100, channels), options, error);
        ASSERT_GT(mp3.size(), 4u) << error;
        EXPECT_EQ(mp3[0], 0xFF);                       // frame sync
        EXPECT_EQ(mp3[1], 0xFB);                       // MPEG-1 layer III, no CRC
        EXPECT_EQ(mp3[2] >> 4, 5) << channels;         // 64 kbit/s
        EXPECT_EQ((mp3[2] >> 2) & 3, 0) << channels;   // 44.1 kHz
        EXPECT_EQ(mp3[3] >> 6, channels == 1 ? 3 : 1); // mono, or joint stereo
        EXPECT_EQ(FindInFirstFrame(mp3, "Info"), -1) << channels;
        EXPECT_EQ(FindInFirstFrame(mp3, "Xing"), -1) << channels;
    }
}

// The loops depend on it: without the filled-in tag a decoder cannot drop the encoder's delay.
TEST(Mp3File, VariableRateStreamLeadsWithAFilledInInfoTag) {
    SMp3Options options;
    options.variableBitRate = true;
    options.infoTag = true;
    std::string error;
    const Bytes mp3 = EncodeMp3(44100, 2, Tone(44100, 2), options, error);
    const int xing = FindInFirstFrame(mp3, "Xing"); // "Info" would mean constant bit rate
    ASSERT_GE(xing, 0) << error;
    ASSERT_GT(mp3.size(), static_cast<std::size_t>(xing) + 12);
    ASSERT_EQ(mp3[xing + 7] & 1, 1); // the frame count is present
    const std::uint32_t frames =
        (mp3[xing + 8] << 24) | (mp3[xing + 9] << 16) | (mp3[xing + 10] << 8) | mp3[xing + 11];
    EXPECT_GE(frames, 38u); // a second is 38.3 frames of 1,152 samples, more with the padding
    EXPECT_LE(frames, 41u);
    EXPECT_GE(FindInFirstFrame(mp3, "LAME"), 0); // the delay and padding follow the name
}

TEST(Mp3File, RefusesThreeChannelsWithAReason) {
    std::string error;
    EXPECT_TRUE(EncodeMp3(44100, 3, Tone(44100, 3), SMp3Options(), error).empty());
    EXPECT_FALSE(error.empty());
}

} // namespace
