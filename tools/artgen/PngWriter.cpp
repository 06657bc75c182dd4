#include "PngWriter.h"

#include "Image.h"
#include "render/ScreenshotWriter.h"

namespace {

// Rows of width x channels bytes, top first; channels 3 (RGB) or 4 (RGBA). The game's own
// encoder does the work, so there is one PNG writer in the project.
bool WriteRows(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& rows) {
    std::string png;
    std::string error;
    if (!CScreenshotWriter::EncodePng(rows, width, height, channels, png, error)) {
        return false;
    }
    return WriteFileBytes(path, std::vector<unsigned char>(png.begin(), png.end()));
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
