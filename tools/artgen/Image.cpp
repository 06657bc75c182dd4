#include "Image.h"

#include "TgaFile.h"

#include <cmath>
#include <cstdio>

CImage::CImage(int width, int height, const CColor& fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height, fill) {}

void CImage::Blend(int x, int y, const CColor& colour) {
    if (x < 0 || y < 0 || x >= width || y >= height || colour.a <= 0.0) {
        return;
    }
    CColor& below = pixels[Index(x, y)];
    const double alpha = colour.a + below.a * (1.0 - colour.a);
    if (alpha <= 0.0) {
        return;
    }
    const double keep = below.a * (1.0 - colour.a);
    below = {(colour.r * colour.a + below.r * keep) / alpha,
             (colour.g * colour.a + below.g * keep) / alpha,
             (colour.b * colour.a + below.b * keep) / alpha, alpha};
}

void CImage::Paint(const std::function<CColor(double u, double v)>& paint) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Set(x, y, paint((x + 0.5) / width, (y + 0.5) / height));
        }
    }
}

void CImage::PaintOver(const std::function<CColor(double u, double v)>& paint) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Blend(x, y, paint((x + 0.5) / width, (y + 0.5) / height));
        }
    }
}

void CImage::Blit(const CImage& source, int x, int y) {
    for (int row = 0; row < source.height; ++row) {
        for (int column = 0; column < source.width; ++column) {
            const int tx = x + column;
            const int ty = y + row;
            if (tx >= 0 && ty >= 0 && tx < width && ty < height) {
                Set(tx, ty, source.At(column, row));
            }
        }
    }
}

unsigned char ToByte(double channel) {
    return static_cast<unsigned char>(std::lround(Clamp01(channel) * 255.0));
}

std::vector<unsigned char> CImage::EncodeTga(bool withAlpha) const {
    std::vector<unsigned char> bytes;
    bytes.reserve(pixels.size() * (withAlpha ? 4 : 3));
    for (const CColor& pixel : pixels) { // rows bottom first, as stored
        bytes.push_back(ToByte(pixel.r));
        bytes.push_back(ToByte(pixel.g));
        bytes.push_back(ToByte(pixel.b));
        if (withAlpha) {
            bytes.push_back(ToByte(pixel.a));
        }
    }
    return ::EncodeTga(width, height, withAlpha, bytes);
}

bool CImage::WriteTga(const std::string& path, bool withAlpha) const {
    return WriteFileBytes(path, EncodeTga(withAlpha));
}

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::printf("artgen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::printf("artgen: cannot write %s\n", path.c_str());
    }
    return written && closed;
}
