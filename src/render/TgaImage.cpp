#include "render/TgaImage.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kTrueColour = 2;
constexpr std::uint8_t kGreyscale = 3;
constexpr std::uint8_t kColourMapPresent = 1;
// Pixels arrive in slices of this size, so a header that announces more than the file holds
// costs no more memory than the file itself.
constexpr std::size_t kReadSlice = 1 << 20;

// The published TGA header, little-endian.
struct SHeader {
    std::uint8_t idLength;
    std::uint8_t colourMapType;
    std::uint8_t imageType;
    std::uint16_t colourMapLength;
    std::uint8_t colourMapEntryBits;
    std::int16_t width;
    std::int16_t height;
    std::uint8_t pixelDepth;
};

std::uint16_t Little16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool ReadHeader(std::istream& in, SHeader& header) {
    unsigned char bytes[kHeaderSize];
    if (!in.read(reinterpret_cast<char*>(bytes), kHeaderSize)) {
        return false;
    }
    header.idLength = bytes[0];
    header.colourMapType = bytes[1];
    header.imageType = bytes[2];
    header.colourMapLength = Little16(bytes + 5);
    header.colourMapEntryBits = bytes[7];
    header.width = static_cast<std::int16_t>(Little16(bytes + 12));
    header.height = static_cast<std::int16_t>(Little16(bytes + 14));
    header.pixelDepth = bytes[16];
    return true;
}

// Only what the upload can take: 3- or 4-byte colour, or 1-byte grey.
bool IsUsableFormat(const SHeader& header) {
    const std::uint8_t depth = header.pixelDepth;
    if (header.imageType == kTrueColour) {
        return depth == 24 || depth == 32;
    }
    if (header.imageType == kGreyscale) {
        return depth == 8 || depth == 24 || depth == 32;
    }
    return false;
}

bool IsUsableSize(const SHeader& header) {
    return header.width > 0 && header.height > 0 && header.width <= CTgaImage::kMaxSide &&
           header.height <= CTgaImage::kMaxSide;
}

bool Skip(std::istream& in, std::streamsize count) {
    if (count == 0) {
        return true;
    }
    in.ignore(count);
    return in.gcount() == count;
}

// The image ID and a colour map (allowed, though unused, in a true-colour file) lie between the
// header and the pixels.
bool SkipToPixels(std::istream& in, const SHeader& header) {
    std::streamsize colourMapBytes = 0;
    if (header.colourMapType == kColourMapPresent) {
        colourMapBytes = static_cast<std::streamsize>(header.colourMapLength) *
                         ((header.colourMapEntryBits + 7) / 8);
    }
    return Skip(in, header.idLength) && Skip(in, colourMapBytes);
}

bool ReadPixels(std::istream& in, std::size_t size, std::vector<unsigned char>& pixels) {
    pixels.clear();
    while (pixels.size() < size) {
        const std::size_t done = pixels.size();
        const std::size_t slice = std::min(size - done, kReadSlice);
        pixels.resize(done + slice);
        in.read(reinterpret_cast<char*>(pixels.data() + done), static_cast<std::streamsize>(slice));
        if (static_cast<std::size_t>(in.gcount()) != slice) {
            return false;
        }
    }
    return true;
}

// The file stores blue-green-red(-alpha); OpenGL 1.1 wants red first. Alpha keeps its place.
void SwapRedAndBlue(std::vector<unsigned char>& pixels, std::size_t bytesPerPixel) {
    for (std::size_t offset = 0; offset + 2 < pixels.size(); offset += bytesPerPixel) {
        std::swap(pixels[offset], pixels[offset + 2]);
    }
}

} // namespace

int CTgaImage::Read(const char* path) {
    if (path == nullptr) {
        return 0;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return 0;
    }
    return ReadFrom(file);
}

int CTgaImage::ReadFrom(std::istream& in) {
    SHeader header{};
    if (!ReadHeader(in, header) || !IsUsableFormat(header) || !IsUsableSize(header) ||
        !SkipToPixels(in, header)) {
        return 0;
    }
    const std::size_t bytesPerPixel = header.pixelDepth / 8;
    // Both sides are at most kMaxSide, so the product fits a size_t comfortably.
    const std::size_t size = static_cast<std::size_t>(header.width) *
                             static_cast<std::size_t>(header.height) * bytesPerPixel;
    std::vector<unsigned char> readPixels;
    if (!ReadPixels(in, size, readPixels)) {
        return 0;
    }
    if (bytesPerPixel >= 3) {
        SwapRedAndBlue(readPixels, bytesPerPixel);
    }
    imageType = header.imageType;
    width = header.width;
    height = header.height;
    pixelDepth = header.pixelDepth;
    hasAlpha = bytesPerPixel == 4 ? 1 : 0;
    pixels.swap(readPixels);
    return 1;
}

const unsigned char* CTgaImage::GetPixels() const {
    return pixels.empty() ? nullptr : pixels.data();
}
