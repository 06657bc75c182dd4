#pragma once

#include "render/TextureManager.h"

#include <cstdint>
#include <fstream>
#include <string>

// Every row of the texture table as a small file of its own under texture/ in the working
// directory: 2 x 2 texels of one colour, (number, 255 - number, 200), so that a test can load a
// real registry and tell by a texel which row a texture number binds.
inline void WriteTableTextures() {
    for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
        // An uncompressed 24-bit TGA with its origin at the lower left; pixels in B, G, R order.
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = 2;
        bytes[14] = 2;
        bytes[16] = 24;
        for (int texel = 0; texel < 4; ++texel) {
            bytes += {static_cast<char>(200), static_cast<char>(255 - number),
                      static_cast<char>(number)};
        }
        std::ofstream(CTextureManager::GetTablePath(number), std::ios::binary) << bytes;
    }
}
