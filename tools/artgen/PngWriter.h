#pragma once

#include <string>
#include <vector>

class CImage;

// Writes 8-bit RGB pixels as a PNG file; rows are given top first. False with a message.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbRows);
// Writes the picture as an 8-bit RGBA PNG, alpha kept, its top row first as PNG wants.
bool WritePng(const std::string& path, const CImage& image);
