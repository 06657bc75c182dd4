#pragma once

#include "Color.h"

#include <functional>
#include <string>
#include <vector>

// A picture being painted: width x height colours, (0, 0) at the lower left, y upwards. That is
// the order in which a TGA with the usual lower-left origin stores its rows, and so texture
// coordinate v grows with y: row 0 is v = 0.
class CImage {
public:
    CImage(int width, int height, const CColor& fill = CColor(0, 0, 0, 0));

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    const CColor& At(int x, int y) const { return pixels[Index(x, y)]; }
    void Set(int x, int y, const CColor& colour) { pixels[Index(x, y)] = colour; }
    void Blend(int x, int y, const CColor& colour); // colour over the pixel; outside is ignored

    // Calls paint for every pixel with its centre in texture coordinates (0 to 1) and stores the
    // result.
    void Paint(const std::function<CColor(double u, double v)>& paint);
    // The same, but the result is blended over what is there.
    void PaintOver(const std::function<CColor(double u, double v)>& paint);
    // Copies source with its lower left corner at (x, y); parts outside are dropped.
    void Blit(const CImage& source, int x, int y);

    // Uncompressed true-colour TGA, lower-left origin (TgaFile.h).
    std::vector<unsigned char> EncodeTga(bool withAlpha) const;
    bool WriteTga(const std::string& path, bool withAlpha) const; // false with a message

private:
    int Index(int x, int y) const { return y * width + x; }

    int width;
    int height;
    std::vector<CColor> pixels;
};

unsigned char ToByte(double channel); // 0 to 1, rounded, clamped
bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
