// libFuzzer target: any bytes as the parts of a request the board reads itself (a name, an
// Authorization header, a page, a world). Reading must end, and what it takes must be sound
// (BoardRequestCheck.h).
#include "BoardRequestCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!BoardRequestIsReadSoundly(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
