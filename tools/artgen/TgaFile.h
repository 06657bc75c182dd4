#pragma once

#include <vector>

// An uncompressed true-colour TGA with its origin at the lower left: the one layout of every
// texture the game ships and of those the tests and benchmarks make.
// pixels: width x height texels, rows bottom first, red-green-blue(-alpha) bytes each; the file
// stores them blue first. Width and height 1 to 65535. Empty when the sizes are out of range or
// the pixel count disagrees with them.
std::vector<unsigned char> EncodeTga(int width, int height, bool withAlpha,
                                     const std::vector<unsigned char>& pixels);
