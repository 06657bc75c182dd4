// The asset generator: paints every texture, builds every mesh and makes every sound the game
// loads, from code, the same bytes on every run.
//
//   zelkora_artgen DATA_DIR                      writes texture/, mesh/ and sounds/ there
//   zelkora_artgen --contact-sheet PNG  draws all of them onto one picture
#include "Assets.h"
#include "ContactSheet.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

int Usage() {
    std::printf("usage: zelkora_artgen DATA_DIR\n"
                "       zelkora_artgen --contact-sheet PNG\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--contact-sheet") == 0) {
        return WriteContactSheet(argc, argv, argv[2]) ? 0 : 1;
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
