#pragma once

#include "TgaFile.h"
#include "render/TextureManager.h"

#include <fstream>
#include <vector>

// Every row of the texture table as a small file of its own under texture/ in the working
// directory: 2 x 2 texels of one colour, (number, 255 - number, 200), so that a test can load a
// real registry and tell by a texel which row a texture number binds.
inline void WriteTableTextures() {
    for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
        std::vector<unsigned char> texels;
        for (int texel = 0; texel < 4; ++texel) {
            texels.insert(texels.end(), {static_cast<unsigned char>(number),
                                         static_cast<unsigned char>(255 - number), 200});
        }
        const std::vector<unsigned char> tga = EncodeTga(2, 2, false, texels);
        std::ofstream(CTextureManager::GetTablePath(number), std::ios::binary)
            .write(reinterpret_cast<const char*>(tga.data()),
                   static_cast<std::streamsize>(tga.size()));
    }
}
