#pragma once

#include <cstdint>
#include <istream>
#include <vector>

// An uncompressed TGA picture in memory: true-colour (type 2) of 24 or 32 bits, or greyscale
// (type 3) of 8 bits (or of 24 or 32, read like true colour). Pixels are RGB, RGBA or grey bytes,
// rows in file order (no flip), no row padding. Any header the reader cannot honour fails the read;
// a failed read leaves the image as it was.
class CTgaImage {
public:
    static constexpr int kMaxSide = 16384; // pixels; larger images are refused

    int Read(const char* path);     // 1 on success, 0 when the file is missing or unusable
    int ReadFrom(std::istream& in); // 1 on success, 0 on any bad or short input

    int GetWidth() const { return width; }           // pixels, 1 to kMaxSide once read, else 0
    int GetHeight() const { return height; }         // pixels, 1 to kMaxSide once read, else 0
    int GetImageType() const { return imageType; }   // 2 true-colour, 3 greyscale; 0 unread
    int GetPixelDepth() const { return pixelDepth; } // bits per pixel: 8, 24 or 32; 0 unread
    int GetBytesPerPixel() const { return pixelDepth / 8; }
    int HasAlpha() const { return hasAlpha; } // 1 when pixels are RGBA
    const unsigned char* GetPixels() const;   // width x height x bytes per pixel; null unread

private:
    std::uint8_t imageType = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t pixelDepth = 0;
    int hasAlpha = 0;
    std::vector<unsigned char> pixels;
};
