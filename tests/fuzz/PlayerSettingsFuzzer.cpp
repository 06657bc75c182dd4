// libFuzzer target: any bytes as settings.txt. Reading must end, and what it says and keeps must
// be sound (PlayerSettingsCheck.h).
#include "PlayerSettingsCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!PlayerSettingsParseIsSound(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
