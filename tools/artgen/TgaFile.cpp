#include "TgaFile.h"

#include <cstddef>

std::vector<unsigned char> EncodeTga(int width, int height, bool withAlpha,
                                     const std::vector<unsigned char>& pixels) {
    const std::size_t channels = withAlpha ? 4 : 3;
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF ||
        pixels.size() != static_cast<std::size_t>(width) * height * channels) {
        return {};
    }
    std::vector<unsigned char> bytes(18, 0);
    bytes[2] = 2; // uncompressed true-colour
    bytes[12] = static_cast<unsigned char>(width & 0xFF);
    bytes[13] = static_cast<unsigned char>(width >> 8);
    bytes[14] = static_cast<unsigned char>(height & 0xFF);
    bytes[15] = static_cast<unsigned char>(height >> 8);
    bytes[16] = withAlpha ? 32 : 24;
    bytes[17] = withAlpha ? 8 : 0; // alpha bits; origin bits 0 = lower left
    bytes.reserve(bytes.size() + pixels.size());
    for (std::size_t texel = 0; texel < pixels.size(); texel += channels) {
        bytes.push_back(pixels[texel + 2]);
        bytes.push_back(pixels[texel + 1]);
        bytes.push_back(pixels[texel]);
        if (withAlpha) {
            bytes.push_back(pixels[texel + 3]);
        }
    }
    return bytes;
}
