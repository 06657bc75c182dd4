#include "WavFile.h"

namespace {

void Put(std::vector<unsigned char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) { // little-endian
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
    }
}

void PutTag(std::vector<unsigned char>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

} // namespace

std::vector<unsigned char> EncodeWav(int rate, int channels,
                                     const std::vector<std::int16_t>& samples) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels * 2);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataSize);
    PutTag(bytes, "RIFF");
    Put(bytes, 36 + dataSize, 4);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put(bytes, 16, 4); // format chunk size
    Put(bytes, 1, 2);  // PCM
    Put(bytes, static_cast<std::uint32_t>(channels), 2);
    Put(bytes, static_cast<std::uint32_t>(rate), 4);
    Put(bytes, static_cast<std::uint32_t>(rate) * blockAlign, 4); // bytes per second
    Put(bytes, blockAlign, 2);
    Put(bytes, 16, 2); // bits per sample
    PutTag(bytes, "data");
    Put(bytes, dataSize, 4);
    for (const std::int16_t sample : samples) {
        Put(bytes, static_cast<std::uint16_t>(sample), 2);
    }
    return bytes;
}
