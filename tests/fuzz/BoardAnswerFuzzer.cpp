// libFuzzer target: any bytes as a board's answer to a run and as a world's page. Reading must
// end, never throw, and give only what the game can show (BoardAnswerCheck.h).
#include "BoardAnswerCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!BoardAnswerIsReadSoundly(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
