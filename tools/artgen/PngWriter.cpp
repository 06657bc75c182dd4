#include "PngWriter.h"

#include "Image.h"

#include <zlib.h>

namespace {

void PutBigEndian(std::vector<unsigned char>& bytes, unsigned long value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
    }
}

void PutChunk(std::vector<unsigned char>& file, const char* type,
              const std::vector<unsigned char>& data) {
    PutBigEndian(file, data.size());
    const size_t typeStart = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const unsigned long crc =
        crc32(0L, file.data() + typeStart, static_cast<uInt>(file.size() - typeStart));
    PutBigEndian(file, crc);
}

} // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbRows) {
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int row = 0; row < height; ++row) {
        raw.push_back(0); // no filter
        const auto start = rgbRows.begin() + static_cast<long>(row) * width * 3;
        raw.insert(raw.end(), start, start + width * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) !=
        Z_OK) {
        return false;
    }
    packed.resize(packedSize);
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<unsigned long>(width));
    PutBigEndian(header, static_cast<unsigned long>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    std::vector<unsigned char> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    return WriteFileBytes(path, file);
}
