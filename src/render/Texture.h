#pragma once

#include "render/AlphaCoverage.h"
#include "render/TgaImage.h"

#include <GL/gl.h>
#include <memory>

// One TGA file made into one OpenGL texture object. The object's name is handed in by the
// registry (its 1-based row in the texture table) instead of being generated, so a texture gets
// the same number on every load whatever names the driver would hand out. Created, loaded once
// and destroyed by the registry; destruction frees the pixels but leaves the texture object to
// the registry.
class CTexture {
public:
    // Keeps the two pointers, which must outlive the texture. Touches neither file nor OpenGL.
    CTexture(const char* name, const char* path, GLuint textureNumber);

    // Both read the file, bind the texture number to GL_TEXTURE_2D (it stays bound), set the
    // filters and upload the pixels. A file that cannot be used prints
    // "ERROR! CTexture cant open file <path>" and leaves the object without an image, but the
    // number is taken all the same.
    void Load();          // one level; minify and magnify GL_NEAREST
    void LoadMipmapped(); // a GLU mipmap chain; minify GL_NEAREST_MIPMAP_LINEAR, magnify NEAREST

    GLuint GetTextureId() const { return textureId; } // 0 until loaded, then the texture number
    const char* GetName() const { return name; }      // as the registry finds it, e.g. "hud"
    const char* GetPath() const { return path; }      // e.g. "texture/hud.tga"
    const CTgaImage& GetImage() const { return image; }
    bool IsMipmapped() const { return mipmapped; }
    // Where the uploaded texels' alpha can be above 0, worked out on first use; null when the
    // image has no alpha or did not load, or when GLU had to rescale it for the mipmap chain.
    const CAlphaCoverage* GetAlphaCoverage() const;

private:
    void Make(bool mipmapped);
    void Upload(bool mipmapped) const;

    GLuint textureId = 0;
    GLuint textureNumber;
    const char* path;
    const char* name;
    CTgaImage image;
    bool mipmapped = false;
    bool uploadedAsRead = false; // the texels on the card are the image's own
    mutable std::unique_ptr<CAlphaCoverage> coverage;
};
