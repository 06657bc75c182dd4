// The asset generator: paints every texture, builds every mesh and makes every sound the game
// loads, from code, the same bytes on every run.
//
//   zelkora_artgen DATA_DIR                      writes texture/, mesh/ and sounds/ there
//   zelkora_artgen --contact-sheet PNG  draws all of them onto one picture
//   zelkora_artgen --icon SIZE PNG      writes the desktop icon, SIZE x SIZE pixels
#include "Assets.h"
#include "ContactSheet.h"
#include "Icon.h"
#include "PngWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Usage() {
    std::printf("usage: zelkora_artgen DATA_DIR\n"
                "       zelkora_artgen --contact-sheet PNG\n"
                "       zelkora_artgen --icon SIZE PNG\n");
    return 2;
}

int WriteIcon(const char* sizeText, const char* pngPath) {
    char* end = nullptr;
    const long size = std::strtol(sizeText, &end, 10);
    if (end == sizeText || *end != '\0' || size < 16 || size > 1024) {
        std::printf("artgen: icon size must be a whole number from 16 to 1024, not '%s'\n",
                    sizeText);
        return 2;
    }
    return WritePng(pngPath, PaintIcon(static_cast<int>(size))) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--contact-sheet") == 0) {
        return WriteContactSheet(argc, argv, argv[2]) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "--icon") == 0) {
        return WriteIcon(argv[2], argv[3]);
    }
    if (argc != 2 || argv[1][0] == '-') {
        return Usage();
    }
    const auto start = std::chrono::steady_clock::now();
    if (!WriteAllAssets(argv[1])) {
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("artgen: %zu textures, %zu meshes, %zu sounds in %.1f s\n",
                GetTextureAssets().size(), GetMeshAssets().size(), GetSoundAssets().size(),
                took.count());
    return 0;
}
