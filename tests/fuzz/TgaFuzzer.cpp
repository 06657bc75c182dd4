// libFuzzer target: any bytes as a TGA file. The reader must fail cleanly or deliver exactly
// width x height x bytes-per-pixel bytes, never read or write outside them.
#include "render/TgaImage.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {
volatile unsigned char sink;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CTgaImage image;
    if (image.ReadFrom(in) == 1) {
        const unsigned char* pixels = image.GetPixels();
        const std::size_t count = static_cast<std::size_t>(image.GetWidth()) *
                                  static_cast<std::size_t>(image.GetHeight()) *
                                  static_cast<std::size_t>(image.GetBytesPerPixel());
        if (pixels == nullptr || count == 0) {
            __builtin_trap();
        }
        // The first and the last byte: a short block shows up under the sanitizer.
        sink = pixels[0];
        sink = pixels[count - 1];
    }
    return 0;
}
