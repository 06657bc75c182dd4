#include "render/ScreenshotWriter.h"

#include "base/AtomicFile.h"
#include "base/XdgDirectories.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstring>
#include <new>
#include <png.h>
#include <utility>

namespace {
// zlib's fastest level: a screenshot is taken mid-game, and a shorter pause beats a smaller
// file.
constexpr int kFastCompression = 1;

// libpng reports through these; its error handler must not return, so it jumps back to the
// setjmp in EncodeRows.
struct SPngOutput {
    std::string* bytes;
    char error[128];
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    SPngOutput* output = static_cast<SPngOutput*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        output->bytes->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        appended = false;
    }
    if (!appended) {
        png_error(png, "out of memory"); // outside the catch: it never returns
    }
}

void FlushNothing(png_structp) {}

void KeepError(png_structp png, png_const_charp message) {
    SPngOutput* output = static_cast<SPngOutput*>(png_get_error_ptr(png));
    std::snprintf(output->error, sizeof output->error, "%s", message);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Only plain values live in this frame, so jumping out of libpng into it skips no destructor.
bool EncodeRows(const unsigned char* pixels, int width, int height, int channels,
                SPngOutput& output) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, KeepError, IgnoreWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(output.error, sizeof output.error, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &output, AppendBytes, FlushNothing);
    png_set_compression_level(png, kFastCompression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    for (int row = 0; row < height; ++row) {
        png_write_row(png, pixels + rowBytes * static_cast<std::size_t>(row));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool FitsPicture(std::size_t byteCount, int width, int height, int channels) {
    return width > 0 && height > 0 && width <= CScreenshotWriter::kMaxSide &&
           height <= CScreenshotWriter::kMaxSide &&
           byteCount == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                            static_cast<std::size_t>(channels);
}
} // namespace

CScreenshotWriter::CScreenshotWriter(std::string directory) : directory(std::move(directory)) {}

std::string CScreenshotWriter::Save(const std::vector<unsigned char>& rgb, int width, int height,
                                    std::time_t when) const {
    std::string png;
    std::string error;
    if (!EncodePng(rgb, width, height, png, error)) {
        std::printf("screenshot: cant encode the picture (%s)\n", error.c_str());
        std::fflush(stdout);
        return "";
    }
    if (directory.empty()) {
        ReportSaveFailure(CXdgDirectories::kNoDataDirectory);
        return "";
    }
    if (!CAtomicFile::MakeDirectories(directory, error)) {
        ReportSaveFailure(error);
        return "";
    }
    for (int number = 1; number <= kMaximumNumber; ++number) {
        const std::string path = directory + "/" + FileName(when, number);
        switch (CAtomicFile::CreateNew(path, png, error)) {
        case CAtomicFile::EResult::Written:
            return path;
        case CAtomicFile::EResult::Exists:
            break;
        case CAtomicFile::EResult::Failed:
            ReportSaveFailure(error);
            return "";
        }
    }
    ReportSaveFailure("every name for this second is taken, up to " +
                      FileName(when, kMaximumNumber));
    return "";
}

std::vector<unsigned char> CScreenshotWriter::ReadFrame(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return {};
    }
    GLint alignment = 4;
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    // Alignment 1: RGB rows of any width come back packed, as Save wants them.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * static_cast<std::size_t>(height));
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);

    // OpenGL gives the bottom row first; pictures start at the top.
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int row = 0; row < height; ++row) {
        std::memcpy(&topDown[rowBytes * static_cast<std::size_t>(row)],
                    &bottomUp[rowBytes * static_cast<std::size_t>(height - 1 - row)], rowBytes);
    }
    return topDown;
}

bool CScreenshotWriter::EncodePng(const std::vector<unsigned char>& rgb, int width, int height,
                                  std::string& png, std::string& error) {
    return EncodePng(rgb, width, height, 3, png, error);
}

bool CScreenshotWriter::EncodePng(const std::vector<unsigned char>& pixels, int width, int height,
                                  int channels, std::string& png, std::string& error) {
    png.clear();
    if ((channels != 3 && channels != 4) || !FitsPicture(pixels.size(), width, height, channels)) {
        error = std::to_string(pixels.size()) + " bytes are no " + std::to_string(width) + " x " +
                std::to_string(height) + (channels == 4 ? " RGBA" : " RGB") + " picture";
        return false;
    }
    SPngOutput output{&png, {}};
    if (!EncodeRows(pixels.data(), width, height, channels, output)) {
        png.clear();
        error = output.error;
        return false;
    }
    return true;
}

std::string CScreenshotWriter::FileName(std::time_t when, int number) {
    char stamp[32] = "00000000-000000"; // a time localtime cannot convert
    std::tm local{};
    char converted[sizeof stamp];
    if (localtime_r(&when, &local) != nullptr &&
        std::strftime(converted, sizeof converted, "%Y%m%d-%H%M%S", &local) > 0) {
        std::memcpy(stamp, converted, sizeof stamp);
    }
    const std::string suffix = number > 1 ? "-" + std::to_string(number) : "";
    return "zelkora-" + std::string(stamp) + suffix + ".png";
}

void CScreenshotWriter::ReportSaveFailure(const std::string& reason) const {
    std::printf("screenshot: cant save in %s (%s)\n",
                directory.empty() ? "the data directory" : directory.c_str(), reason.c_str());
    std::fflush(stdout);
}
