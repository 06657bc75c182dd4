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

// Rows of width x channels bytes, top first; channels 3 (RGB) or 4 (RGBA).
bool WriteRows(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& rows) {
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(height) * (rowBytes + 1));
    for (int row = 0; row < height; ++row) {
        raw.push_back(0); // no filter
        const auto start = rows.begin() + static_cast<long>(row * rowBytes);
        raw.insert(raw.end(), start, start + static_cast<long>(rowBytes));
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
    const unsigned char colourType = channels == 4 ? 6 : 2; // RGBA or RGB
    // 8 bits a channel, deflate, no filter, no interlace
    header.insert(header.end(), {8, colourType, 0, 0, 0});
    std::vector<unsigned char> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    return WriteFileBytes(path, file);
}

} // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbRows) {
    return WriteRows(path, width, height, 3, rgbRows);
}

bool WritePng(const std::string& path, const CImage& image) {
    std::vector<unsigned char> rows;
    rows.reserve(static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 4);
    for (int y = image.GetHeight() - 1; y >= 0; --y) { // the picture's rows lie bottom first
        for (int x = 0; x < image.GetWidth(); ++x) {
            const CColor& colour = image.At(x, y);
            rows.insert(rows.end(),
                        {ToByte(colour.r), ToByte(colour.g), ToByte(colour.b), ToByte(colour.a)});
        }
    }
    return WriteRows(path, image.GetWidth(), image.GetHeight(), 4, rows);
}
