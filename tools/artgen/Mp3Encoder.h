#pragma once

#include "Wave.h"

#include <vector>

// Encodes a stereo wave to MP3 with LAME (variable bit rate). The first frame is LAME's info
// tag, which records the encoder's delay and padding, so that decoders that honour it (mpg123
// does) give back exactly the samples that went in and a loop has no gap. Empty on failure.
std::vector<unsigned char> EncodeMp3(const CWave& wave);
