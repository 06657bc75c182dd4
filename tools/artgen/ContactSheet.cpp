#define GL_GLEXT_PROTOTYPES
#include "ContactSheet.h"

#include "Assets.h"
#include "PngWriter.h"

#include <GL/freeglut.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kSheetWidth = 1600;
constexpr int kTextureColumns = 8;
constexpr int kTextureCellWidth = 200;
constexpr int kTextureCellHeight = 222;
constexpr int kThumbnail = 192;
constexpr int kMeshColumns = 5;
constexpr int kMeshCellWidth = 320;
constexpr int kMeshCellHeight = 340;
constexpr int kMeshView = 312;

// A view of a mesh: which mesh, which skin, and the direction the camera looks from.
struct SMeshView {
    int mesh;    // index into GetMeshAssets
    int texture; // index into GetTextureAssets
    CVec from;   // camera direction from the model's origin
    const char* caption;
};

GLuint Upload(const CImage& image, bool smooth) {
    std::vector<unsigned char> rgba;
    rgba.reserve(static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 4);
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const CColor& c = image.At(x, y);
            rgba.insert(rgba.end(), {ToByte(c.r), ToByte(c.g), ToByte(c.b), ToByte(c.a)});
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.GetWidth(), image.GetHeight(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    return name;
}

void Label(int x, int y, const std::string& text) {
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.85f, 0.88f, 0.95f);
    glRasterPos2i(x, y);
    glutBitmapString(GLUT_BITMAP_HELVETICA_12,
                     reinterpret_cast<const unsigned char*>(text.c_str()));
}

void Quad(double x0, double y0, double x1, double y1, double repeat = 1.0) {
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(x0, y0);
    glTexCoord2d(repeat, 0);
    glVertex2d(x1, y0);
    glTexCoord2d(repeat, repeat);
    glVertex2d(x1, y1);
    glTexCoord2d(0, repeat);
    glVertex2d(x0, y1);
    glEnd();
}

void Flat2d(int height) {
    glViewport(0, 0, kSheetWidth, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, kSheetWidth, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// Each texture scaled into its cell, over a chequerboard, with its name under it.
void DrawTextures(int top, GLuint checker) {
    const std::vector<STextureAsset>& textures = GetTextureAssets();
    for (size_t i = 0; i < textures.size(); ++i) {
        const CImage image = textures[i].paint();
        const int column = static_cast<int>(i) % kTextureColumns;
        const int row = static_cast<int>(i) / kTextureColumns;
        const int x = column * kTextureCellWidth + 4;
        const int y = top - (row + 1) * kTextureCellHeight + 24;
        const double aspect = static_cast<double>(image.GetWidth()) / image.GetHeight();
        const double width = aspect >= 1.0 ? kThumbnail : kThumbnail * aspect;
        const double height = aspect >= 1.0 ? kThumbnail / aspect : kThumbnail;
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBindTexture(GL_TEXTURE_2D, checker);
        Quad(x, y, x + width, y + height, 12.0);
        const GLuint name = Upload(image, true);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        Quad(x, y, x + width, y + height);
        glDisable(GL_BLEND);
        glDeleteTextures(1, &name);
        Label(x, y - 16,
              std::string(textures[i].name) + "  " + std::to_string(image.GetWidth()) + "x" +
                  std::to_string(image.GetHeight()));
    }
}

void DrawMesh(const SMeshView& view, int x, int y) {
    const CMeshBuilder mesh = GetMeshAssets()[view.mesh].build();
    const std::vector<CMeshBuilder::SFace> faces = mesh.GetFaces();
    double radius = 0.0;
    for (const CMeshBuilder::SFace& face : faces) {
        for (const CVec& corner : face.corner) {
            radius = std::max(radius, corner.Length());
        }
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, kMeshView, kMeshView);
    glViewport(x, y, kMeshView, kMeshView);
    glClearColor(0.1f, 0.11f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35.0, 1.0, radius * 0.1, radius * 10.0);
    const CVec eye = view.from.Normalized() * (radius / std::sin(17.5 * M_PI / 180.0) * 1.05);
    gluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE); // as the game: a face wound the wrong way shows as a hole
    const GLuint name = Upload(GetTextureAssets()[view.texture].paint(), false);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const bool translucent = GetTextureAssets()[view.texture].alpha;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
    }
    glBegin(GL_TRIANGLES);
    for (const CMeshBuilder::SFace& face : faces) {
        glNormal3d(face.normal.x, face.normal.y, face.normal.z);
        for (int i = 0; i < 3; ++i) {
            glTexCoord2d(face.texCoord[i].x, face.texCoord[i].y);
            glVertex3d(face.corner[i].x, face.corner[i].y, face.corner[i].z);
        }
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDeleteTextures(1, &name);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<SMeshView> MeshViews() {
    const auto& textures = GetTextureAssets();
    auto textureIndex = [&](const std::string& name) {
        for (size_t i = 0; i < textures.size(); ++i) {
            if (name == textures[i].name) {
                return static_cast<int>(i);
            }
        }
        return 0;
    };
    std::vector<SMeshView> views{
        {0, textureIndex("player1"), {0.35, 0.45, 1.0}, "player.obj from behind, player1"},
        {0, textureIndex("player1"), {-0.8, 0.5, -0.9}, "player.obj from the front"},
        {1, textureIndex("laser2"), {1.0, 0.5, 0.35}, "laser2.obj, laser2"}};
    for (int i = 1; i <= 9; ++i) {
        static std::string captions[10];
        captions[i] = "Enemy" + std::to_string(i) + ".obj, enemy_" + std::to_string(i);
        views.push_back({1 + i,
                         textureIndex("enemy_" + std::to_string(i)),
                         {0.75, 0.5, 1.0},
                         captions[i].c_str()});
    }
    return views;
}

bool MakeTarget(int width, int height) {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glGenRenderbuffersEXT(1, &colour);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                 colour);
    glGenRenderbuffersEXT(1, &depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depth);
    return glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

} // namespace

bool WriteContactSheet(int argc, char** argv, const char* pngPath) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(64, 64);
    glutCreateWindow("Zelkora contact sheet");
    const std::vector<SMeshView> views = MeshViews();
    const int textureRows =
        (static_cast<int>(GetTextureAssets().size()) + kTextureColumns - 1) / kTextureColumns;
    const int meshRows = (static_cast<int>(views.size()) + kMeshColumns - 1) / kMeshColumns;
    const int height = textureRows * kTextureCellHeight + meshRows * kMeshCellHeight + 20;
    if (!MakeTarget(kSheetWidth, height)) {
        std::printf("artgen: no off-screen target of %d x %d for the contact sheet\n", kSheetWidth,
                    height);
        return false;
    }
    glClearColor(0.16f, 0.17f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CImage checkerImage(2, 2, CColor(0.42, 0.42, 0.45));
    checkerImage.Set(0, 0, CColor(0.62, 0.62, 0.65));
    checkerImage.Set(1, 1, CColor(0.62, 0.62, 0.65));
    const GLuint checker = Upload(checkerImage, false);
    glBindTexture(GL_TEXTURE_2D, checker);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    Flat2d(height);
    DrawTextures(height - 10, checker);
    const int meshTop = height - 10 - textureRows * kTextureCellHeight;
    for (size_t i = 0; i < views.size(); ++i) {
        const int x = static_cast<int>(i % kMeshColumns) * kMeshCellWidth + 4;
        const int y = meshTop - static_cast<int>(i / kMeshColumns + 1) * kMeshCellHeight + 24;
        DrawMesh(views[i], x, y);
        Flat2d(height);
        Label(x, y - 16, views[i].caption);
    }
    glFinish();
    std::vector<unsigned char> pixels(static_cast<size_t>(kSheetWidth) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSheetWidth, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<unsigned char> topFirst(pixels.size());
    const size_t rowBytes = static_cast<size_t>(kSheetWidth) * 3;
    for (int row = 0; row < height; ++row) {
        std::copy_n(pixels.begin() + static_cast<long>(row * rowBytes), rowBytes,
                    topFirst.begin() + static_cast<long>((height - 1 - row) * rowBytes));
    }
    if (!WritePng(pngPath, kSheetWidth, height, topFirst)) {
        std::printf("artgen: cannot write %s\n", pngPath);
        return false;
    }
    std::printf("artgen: contact sheet %s (%d x %d)\n", pngPath, kSheetWidth, height);
    return true;
}
