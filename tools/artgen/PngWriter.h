#pragma once

#include <string>
#include <vector>

// Writes 8-bit RGB pixels as a PNG file; rows are given top first. False with a message.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbRows);
