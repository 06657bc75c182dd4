// libFuzzer target: any bytes as board.txt. Reading must end, and what it says and keeps must
// be sound (BoardSettingsCheck.h).
#include "BoardSettingsCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!BoardSettingsParseIsSound(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
