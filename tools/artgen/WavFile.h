#pragma once

#include <cstdint>
#include <vector>

// A RIFF/WAVE file of 16-bit PCM. rate in frames per second; samples interleaved, channels per
// frame.
std::vector<unsigned char> EncodeWav(int rate, int channels,
                                     const std::vector<std::int16_t>& samples);
