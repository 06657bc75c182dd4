#include "render/Texture.h"

#include <GL/glu.h>
#include <cstdio>

namespace {

GLenum FormatOf(const CTgaImage& image) {
    switch (image.GetBytesPerPixel()) {
    case 4:
        return GL_RGBA;
    case 3:
        return GL_RGB;
    default:
        return GL_LUMINANCE;
    }
}

// A single level beyond the driver's limit would be refused by glTexImage2D and leave the
// texture blank with a GL error; GLU scales a mipmap chain down to fit by itself.
bool FitsSingleLevel(const CTgaImage& image) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    return image.GetWidth() <= maxSize && image.GetHeight() <= maxSize;
}

} // namespace

CTexture::CTexture(const char* name, const char* path, GLuint textureNumber)
    : textureNumber(textureNumber), path(path), name(name) {}

void CTexture::Load() {
    Make(false);
}

void CTexture::LoadMipmapped() {
    Make(true);
}

void CTexture::Make(bool mipmapped) {
    const bool readable = image.Read(path) == 1 && (mipmapped || FitsSingleLevel(image));
    if (!readable) {
        std::printf("ERROR! CTexture cant open file %s\n", path != nullptr ? path : "");
    }
    // Binding an unused name creates the texture object under exactly that name.
    glBindTexture(GL_TEXTURE_2D, textureNumber);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmapped ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST);
    if (readable) {
        Upload(mipmapped);
    }
    textureId = textureNumber;
    this->mipmapped = mipmapped;
    // GLU scales an image to a power of two, within the driver's limit, before it builds a chain.
    const bool chainAsRead = FitsSingleLevel(image) &&
                             CAlphaCoverage::IsPowerOfTwo(image.GetWidth()) &&
                             CAlphaCoverage::IsPowerOfTwo(image.GetHeight());
    uploadedAsRead = readable && (!mipmapped || chainAsRead);
    coverage.reset();
}

const CAlphaCoverage* CTexture::GetAlphaCoverage() const {
    if (!coverage && uploadedAsRead && image.HasAlpha() && image.GetBytesPerPixel() == 4) {
        coverage = std::make_unique<CAlphaCoverage>(image.GetWidth(), image.GetHeight(),
                                                    image.GetPixels());
    }
    return coverage.get();
}

void CTexture::Upload(bool mipmapped) const {
    const GLenum format = FormatOf(image);
    // Rows are packed without padding. Under the default alignment of 4, OpenGL would step
    // past the end of the pixels for any row that is not a multiple of 4 bytes long, so the
    // upload uses 1 and gives back whatever alignment the caller had.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipmapped) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, format, image.GetWidth(), image.GetHeight(), format,
                          GL_UNSIGNED_BYTE, image.GetPixels());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, format, image.GetWidth(), image.GetHeight(), 0, format,
                     GL_UNSIGNED_BYTE, image.GetPixels());
    }
    glPopClientAttrib();
}
