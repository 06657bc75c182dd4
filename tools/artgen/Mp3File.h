#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How LAME is to encode. The defaults are its plain constant 128 kbit/s stream without a tag.
struct SMp3Options {
    bool variableBitRate = false; // LAME's default VBR at variableQuality, else kbps throughout
    int kbps = 128;               // constant bit rate only
    float variableQuality = 4.0f; // LAME's -V, 0 (best) to 9; variable bit rate only
    int quality = -1;             // LAME's -q, 0 (best) to 9; -1 leaves it to LAME
    // The first frame is LAME's info tag, which records the encoder's delay and padding, so that
    // decoders that honour it (mpg123 does) give back exactly the samples that went in and a
    // loop has no gap.
    bool infoTag = false;
};

// MP3 through LAME, mono or stereo; rate in frames per second, samples interleaved. No ID3
// tags, so the bytes depend on nothing but the samples and the options. Empty, with the reason
// in error, on failure.
std::vector<unsigned char> EncodeMp3(int rate, int channels,
                                     const std::vector<std::int16_t>& samples,
                                     const SMp3Options& options, std::string& error);
