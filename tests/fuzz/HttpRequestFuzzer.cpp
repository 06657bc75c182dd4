// libFuzzer target: any bytes as the requests a client sends the board on one connection, read
// whole and in pieces. Reading must end, and what it takes must be sound (HttpRequestCheck.h).
#include "HttpRequestCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!HttpRequestsAreReadSoundly(std::string(reinterpret_cast<const char*>(data), size))) {
        __builtin_trap();
    }
    return 0;
}
