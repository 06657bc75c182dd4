#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// The bytes of a TGA file, written field by field so that tests can build any header, good or
// bad. Pixels go in as given (blue-green-red order for colour files).
struct STgaBytes {
    std::uint8_t imageType = 2;
    int width = 1;
    int height = 1;
    std::uint8_t pixelDepth = 24;
    std::uint8_t descriptor = 0;
    std::string imageId;
    std::uint8_t colourMapType = 0;
    std::uint16_t colourMapLength = 0;
    std::uint8_t colourMapEntryBits = 0;
    std::vector<std::uint8_t> pixels;

    std::string Bytes() const {
        std::string out;
        const auto put8 = [&out](unsigned value) {
            out.push_back(static_cast<char>(value & 0xff));
        };
        const auto put16 = [&put8](unsigned value) {
            put8(value);
            put8(value >> 8);
        };
        put8(static_cast<unsigned>(imageId.size()));
        put8(colourMapType);
        put8(imageType);
        put16(0);
        put16(colourMapLength);
        put8(colourMapEntryBits);
        put16(0);
        put16(0);
        put16(static_cast<unsigned>(width));
        put16(static_cast<unsigned>(height));
        put8(pixelDepth);
        put8(descriptor);
        out += imageId;
        out.append(static_cast<std::size_t>(colourMapLength) * ((colourMapEntryBits + 7) / 8),
                   '\x55');
        out.append(pixels.begin(), pixels.end());
        return out;
    }

    void WriteTo(const std::string& path) const {
        std::ofstream file(path, std::ios::binary);
        file << Bytes();
    }
};
