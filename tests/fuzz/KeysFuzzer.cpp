// libFuzzer target: any bytes as keys.txt. Reading must end, and what it says and binds must be
// sound (KeysCheck.h).
#include "KeysCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!KeysParseIsSound(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
