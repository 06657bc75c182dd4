#pragma once

#include <ctime>
#include <string>
#include <vector>

// Saves what is on the screen as a PNG file in the game's data directory, named after the
// moment it was taken. Never overwrites a picture, even two taken in the same second by two
// games; every failure is one line on standard output and the game plays on.
class CScreenshotWriter {
public:
    static constexpr int kMaxSide = 16384;     // pixels; larger pictures are refused
    static constexpr int kMaximumNumber = 999; // "-999" is the last name tried in one second

    explicit CScreenshotWriter(std::string directory); // "" when there is no data directory

    // Saves width x height pixels of 3 bytes (R, G, B), rows top first, no row padding, as
    // directory/zelkora-YYYYMMDD-HHMMSS.png in the local time of `when`, or with -2, -3, ...
    // before ".png" when the name is taken. Makes the directory. Returns the path saved, or ""
    // after one line: "screenshot: cant save in <directory> (<reason>)", or
    // "screenshot: cant encode the picture (<reason>)" for a bad size or a libpng failure.
    std::string Save(const std::vector<unsigned char>& rgb, int width, int height,
                     std::time_t when) const;

    // The back buffer's pixels from (x, y) at the lower left, width x height, as RGB rows top
    // first, ready for Save. Leaves the pack alignment and read buffer as it found them. Empty
    // for a size of 0 or less, or over kMaxSide.
    static std::vector<unsigned char> ReadFrame(int x, int y, int width, int height);

    // The picture as PNG bytes (8-bit RGB); false with the reason for a size that does not
    // match the bytes, or a libpng failure.
    static bool EncodePng(const std::vector<unsigned char>& rgb, int width, int height,
                          std::string& png, std::string& error);
    // The same for 3 (RGB) or 4 (RGBA) channels a pixel, rows top first; the asset generator
    // writes its pictures with it too.
    static bool EncodePng(const std::vector<unsigned char>& pixels, int width, int height,
                          int channels, std::string& png, std::string& error);
    // "zelkora-20240229-235959.png" for number 1, "zelkora-20240229-235959-2.png" for 2, ...
    static std::string FileName(std::time_t when, int number);

private:
    void ReportSaveFailure(const std::string& reason) const;

    std::string directory;
};
