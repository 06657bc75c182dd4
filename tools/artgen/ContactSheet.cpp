#define GL_GLEXT_PROTOTYPES
#include "ContactSheet.h"

#include "Assets.h"
#include "Meshes.h"
#include "PngWriter.h"
#include "render/ScreenshotWriter.h"

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

GLuint UploadByName(const std::string& name, bool smooth) {
    for (const STextureAsset& texture : GetTextureAssets()) {
        if (name == texture.name) {
            return Upload(texture.paint(), smooth);
        }
    }
    return 0;
}

void DrawFaces(const std::vector<CMeshBuilder::SFace>& faces) {
    glBegin(GL_TRIANGLES);
    for (const CMeshBuilder::SFace& face : faces) {
        glNormal3d(face.normal.x, face.normal.y, face.normal.z);
        for (int i = 0; i < 3; ++i) {
            glTexCoord2d(face.texCoord[i].x, face.texCoord[i].y);
            glVertex3d(face.corner[i].x, face.corner[i].y, face.corner[i].z);
        }
    }
    glEnd();
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
    DrawFaces(faces);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDeleteTextures(1, &name);
    glDisable(GL_SCISSOR_TEST);
}

// A straight stretch of tunnel as the chase camera sees it: walls mapped as the game maps them
// (s along, t once around), a course mark ahead, the ship, an enemy, a burst of fire and the
// HUD on top. Unlit: the walls show as they do where the lights reach them.
constexpr int kPreviewWidth = 800;
constexpr int kPreviewHeight = 600;
constexpr double kTunnelRadius = 70.0;
constexpr double kRingSpacing = 120.0;

CVec RimPoint(int ring, int side) {
    const double angle = 2.0 * M_PI * (side % 24) / 24.0;
    return {kTunnelRadius * std::cos(angle), kTunnelRadius * std::sin(angle), -ring * kRingSpacing};
}

void DrawTunnel(const std::vector<GLuint>& walls, GLuint joint) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor3f(1, 1, 1);
    for (int ring = 0; ring < 10; ++ring) {
        glBindTexture(GL_TEXTURE_2D, walls[(ring * 3 + 1) % walls.size()]);
        glBegin(GL_TRIANGLES);
        for (int side = 0; side < 24; ++side) {
            const double t0 = side / 24.0;
            const double t1 = (side + 1) / 24.0;
            const CVec a0 = RimPoint(ring, side);
            const CVec a1 = RimPoint(ring, side + 1);
            const CVec b0 = RimPoint(ring + 1, side);
            const CVec b1 = RimPoint(ring + 1, side + 1);
            const CVec corners[6] = {b1, b0, a0, b1, a0, a1};
            const double st[6][2] = {{1, t1}, {1, t0}, {0, t0}, {1, t1}, {0, t0}, {0, t1}};
            for (int i = 0; i < 6; ++i) {
                glTexCoord2d(st[i][0], st[i][1]);
                glVertex3d(corners[i].x, corners[i].y, corners[i].z);
            }
        }
        glEnd();
    }
    // The course mark at the fourth ring, a fan over the inscribed circle of its texture.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, joint);
    glBegin(GL_TRIANGLES);
    for (int side = 0; side < 24; ++side) {
        const CVec p0 = RimPoint(4, side);
        const CVec p1 = RimPoint(4, side + 1);
        glTexCoord2d(0.5, 0.5);
        glVertex3d(0, 0, p0.z);
        glTexCoord2d((p0.x / kTunnelRadius + 1) * 0.5, (p0.y / kTunnelRadius + 1) * 0.5);
        glVertex3d(p0.x, p0.y, p0.z);
        glTexCoord2d((p1.x / kTunnelRadius + 1) * 0.5, (p1.y / kTunnelRadius + 1) * 0.5);
        glVertex3d(p1.x, p1.y, p1.z);
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void DrawSprite(GLuint sheet, const CVec& centre, double size, int cells, int frame) {
    const double k = 1.0 / cells;
    const int column = frame % cells;
    const int row = cells - 1 - frame / cells;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, sheet);
    glBegin(GL_QUADS);
    glTexCoord2d(column * k, row * k);
    glVertex3d(centre.x - size, centre.y - size, centre.z);
    glTexCoord2d((column + 1) * k, row * k);
    glVertex3d(centre.x + size, centre.y - size, centre.z);
    glTexCoord2d((column + 1) * k, (row + 1) * k);
    glVertex3d(centre.x + size, centre.y + size, centre.z);
    glTexCoord2d(column * k, (row + 1) * k);
    glVertex3d(centre.x - size, centre.y + size, centre.z);
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void DrawModel(const CMeshBuilder& mesh, GLuint skin, const CVec& at, double turnDegrees) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, skin);
    glPushMatrix();
    glTranslated(at.x, at.y, at.z);
    glRotated(turnDegrees, 0, 1, 0);
    DrawFaces(mesh.GetFaces());
    glPopMatrix();
}

// The HUD's quads at the places the game draws them: energy 0.7, speed 0.6, turning right at
// level 2, an info message showing.
void DrawHudOverlay(GLuint hud, GLuint box) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, kPreviewWidth, 0, kPreviewHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const double energy = 0.7;
    const double speed = 0.6;
    const double turnU = 2 * 0.25;
    const double energyLeft = 220 - energy * 200;
    glBindTexture(GL_TEXTURE_2D, hud);
    glBegin(GL_QUADS);
    glColor4d(1, 1, 1, speed * 0.4 + 0.3);
    glTexCoord2d(0.5, 0.25), glVertex2d(580, 20);
    glTexCoord2d(0.5 + speed * 0.5, 0.25), glVertex2d(580 + speed * 200, 20);
    glTexCoord2d(0.5 + speed * 0.5, 0.5), glVertex2d(580 + speed * 200, 120);
    glTexCoord2d(0.5, 0.5), glVertex2d(580, 120);
    glColor4d(1, 1, 1, 0.7);
    glTexCoord2d(0.5 - energy * 0.5, 0.25), glVertex2d(energyLeft, 20);
    glTexCoord2d(0.5, 0.25), glVertex2d(220, 20);
    glTexCoord2d(0.5, 0.5), glVertex2d(220, 120);
    glTexCoord2d(0.5 - energy * 0.5, 0.5), glVertex2d(energyLeft, 120);
    glColor4d(1, 1, 1, 0.5);
    glTexCoord2d(turnU, 0.5), glVertex2d(350, 480);
    glTexCoord2d(turnU + 0.25, 0.5), glVertex2d(450, 480);
    glTexCoord2d(turnU + 0.25, 0.75), glVertex2d(450, 580);
    glTexCoord2d(turnU, 0.75), glVertex2d(350, 580);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, box);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0.5), glVertex2d(262, 15);
    glTexCoord2d(1, 0.5), glVertex2d(517, 15);
    glTexCoord2d(1, 1), glVertex2d(517, 142);
    glTexCoord2d(0, 1), glVertex2d(262, 142);
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glRasterPos2i(372, 70);
    glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>("FPS ON"));
}

void DrawScenePreview(int x, int y) {
    std::vector<GLuint> textures;
    std::vector<GLuint> walls;
    for (int i = 1; i <= 7; ++i) {
        walls.push_back(UploadByName("segment" + std::to_string(i), false));
    }
    const GLuint joint = UploadByName("joint_3", false);
    const GLuint fire = UploadByName("explosion", false);
    const GLuint smoke = UploadByName("smoke", false);
    const GLuint ship = UploadByName("player1", false);
    const GLuint enemySkin = UploadByName("enemy_2", false);
    const GLuint hud = UploadByName("hud", false);
    const GLuint box = UploadByName("msgbox", false);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, kPreviewWidth, kPreviewHeight);
    glViewport(x, y, kPreviewWidth, kPreviewHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 10000.0); // the game's camera, aspect 1 on 800 x 600
    // The ship rides 30 below the axis; the camera 15 behind it and 2 above.
    gluLookAt(0, -28, 15, 0, -28, 14, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    DrawTunnel(walls, joint);
    DrawModel(BuildEnemyMesh(2), enemySkin, {-18, -5, -260}, 30);
    DrawModel(BuildEnemyMesh(1), UploadByName("enemy_7", false), {25, 20, -420}, 0);
    DrawModel(BuildPlayerMesh(), ship, {0, -30, 0}, 0);
    DrawSprite(smoke, {22, -12, -185}, 24, 3, 2);
    DrawSprite(fire, {20, -10, -180}, 20, 4, 5);
    DrawHudOverlay(hud, box);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
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
    const int height =
        textureRows * kTextureCellHeight + meshRows * kMeshCellHeight + kPreviewHeight + 50;
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
    const int previewY = meshTop - meshRows * kMeshCellHeight - kPreviewHeight;
    DrawScenePreview(4, previewY);
    Flat2d(height);
    Label(kPreviewWidth + 24, previewY + kPreviewHeight - 20,
          "The tunnel as the chase camera sees it (unlit), with the HUD.");
    glFinish();
    const std::vector<unsigned char> topFirst =
        CScreenshotWriter::ReadFrame(0, 0, kSheetWidth, height);
    if (!WritePng(pngPath, kSheetWidth, height, topFirst)) {
        std::printf("artgen: cannot write %s\n", pngPath);
        return false;
    }
    std::printf("artgen: contact sheet %s (%d x %d)\n", pngPath, kSheetWidth, height);
    return true;
}
