#include "render/SpriteBatch.h"

#include "render/Texture.h"
#include "world/Vector3.h"

#include <algorithm>
#include <cmath>

namespace {

bool trimming = true;

// Below this many pixels spared, a square is drawn whole: the scissor changes cost more.
constexpr double kMinSparedPixels = 4096.0;
// Pixels added around a scissor box: interpolated coordinates may round either way at its edge.
constexpr double kMarginPixels = 2.0;
// Mipmap levels added to the estimate: the driver's level of detail is an approximation.
constexpr double kLevelMargin = 1.0;
constexpr double kMinW = 1e-6;
// Scissor boxes stay within this many pixels of the window, where any int holds them.
constexpr double kFarPixels = 1e6;

void MultiplyColumnMajor(const GLdouble a[16], const GLdouble b[16], double out[16]) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            out[column * 4 + row] = sum;
        }
    }
}

// The pixels of the box that lie in the viewport.
double VisibleArea(double x0, double y0, double x1, double y1, const GLint viewport[4]) {
    const double width =
        std::min<double>(x1, viewport[0] + viewport[2]) - std::max<double>(x0, viewport[0]);
    const double height =
        std::min<double>(y1, viewport[1] + viewport[3]) - std::max<double>(y0, viewport[1]);
    return std::max(0.0, width) * std::max(0.0, height);
}

} // namespace

CSpriteBatch::CSpriteBatch(const CTexture* texture, bool trim) {
    if (trim && trimming && texture != nullptr && glIsEnabled(GL_TEXTURE_2D)) {
        coverage = texture->GetAlphaCoverage();
        mipmapped = texture->IsMipmapped();
    }
    if (coverage != nullptr) {
        GLdouble projection[16];
        GLdouble modelView[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        MultiplyColumnMajor(projection, modelView, transform);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
        mayCut = glIsEnabled(GL_SCISSOR_TEST) == GL_FALSE;
    }
    glBegin(GL_QUADS);
}

void CSpriteBatch::Corners(const CVector3& centre, float halfEdge, const CVector3& right,
                           const CVector3& up, CVector3 corners[4]) {
    const CVector3& p = centre;
    const float s = halfEdge;
    corners[0] = {p.x - s * (right.x + up.x), p.y - s * (right.y + up.y),
                  p.z - s * (right.z + up.z)};
    corners[1] = {p.x + s * (right.x - up.x), p.y + s * (right.y - up.y),
                  p.z + s * (right.z - up.z)};
    corners[2] = {p.x + s * (right.x + up.x), p.y + s * (right.y + up.y),
                  p.z + s * (right.z + up.z)};
    corners[3] = {p.x + s * (up.x - right.x), p.y + s * (up.y - right.y),
                  p.z + s * (up.z - right.z)};
}

void CSpriteBatch::EmitCorners(const CVector3 corners[4], const CAlphaCoverage::SRect& cell) {
    const GLfloat texCoords[4][2] = {
        {cell.u0, cell.v0}, {cell.u1, cell.v0}, {cell.u1, cell.v1}, {cell.u0, cell.v1}};
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(texCoords[i][0], texCoords[i][1]);
        glVertex3f(corners[i].x, corners[i].y, corners[i].z);
    }
}

void CSpriteBatch::Square(const CVector3& centre, float halfEdge, const CVector3& right,
                          const CVector3& up, const CAlphaCoverage::SRect& cell) {
    lastU0 = cell.u0;
    lastV1 = cell.v1;
    lastLeftOut = false;
    CVector3 corners[4];
    Corners(centre, halfEdge, right, up, corners);
    GLint box[4];
    switch (coverage != nullptr ? Fit(corners, cell, box) : EFit::kWhole) {
    case EFit::kLeftOut:
        lastLeftOut = true;
        ++leftOut;
        return;
    case EFit::kCut:
        DrawCut(corners, cell, box);
        ++cut;
        return;
    case EFit::kWhole:
        EmitCorners(corners, cell);
        return;
    }
}

// Each cut square alone between enabling and disabling the test: changing the box while the
// test stayed on was seen to change other squares' pixels under llvmpipe.
void CSpriteBatch::DrawCut(const CVector3 corners[4], const CAlphaCoverage::SRect& cell,
                           const GLint box[4]) {
    glEnd();
    glEnable(GL_SCISSOR_TEST);
    glScissor(box[0], box[1], box[2], box[3]);
    glBegin(GL_QUADS);
    EmitCorners(corners, cell);
    glEnd();
    glDisable(GL_SCISSOR_TEST);
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    glBegin(GL_QUADS);
}

void CSpriteBatch::End() {
    if (lastLeftOut) {
        glTexCoord2f(lastU0, lastV1);
    }
    glEnd();
}

CSpriteBatch::EFit CSpriteBatch::Fit(const CVector3 corners[4], const CAlphaCoverage::SRect& cell,
                                     GLint box[4]) const {
    SBox whole{};
    const bool projected = Bound(corners, cell, cell, whole);
    int level = 0;
    if (mipmapped) {
        level = projected ? SampledLevel(whole, cell) : coverage->GetLevelCount() - 1;
    }
    CAlphaCoverage::SRect reach{};
    switch (coverage->Shows(cell, level, &reach)) {
    case CAlphaCoverage::EShows::kUnknown:
        return EFit::kWhole;
    case CAlphaCoverage::EShows::kNever:
        return EFit::kLeftOut;
    case CAlphaCoverage::EShows::kMaybe:
        break;
    }
    SBox part{};
    if (!mayCut || !projected || !Bound(corners, cell, reach, part)) {
        return EFit::kWhole;
    }
    const double x0 = std::max(-kFarPixels, std::floor(part.x0 - kMarginPixels));
    const double y0 = std::max(-kFarPixels, std::floor(part.y0 - kMarginPixels));
    const double x1 = std::min(kFarPixels, std::ceil(part.x1 + kMarginPixels));
    const double y1 = std::min(kFarPixels, std::ceil(part.y1 + kMarginPixels));
    const double spared = VisibleArea(whole.x0, whole.y0, whole.x1, whole.y1, viewport) -
                          VisibleArea(x0, y0, x1, y1, viewport);
    if (!(spared >= kMinSparedPixels) || !(x1 > x0 && y1 > y0)) {
        return EFit::kWhole;
    }
    box[0] = static_cast<GLint>(x0);
    box[1] = static_cast<GLint>(y0);
    box[2] = static_cast<GLint>(x1 - x0);
    box[3] = static_cast<GLint>(y1 - y0);
    return EFit::kCut;
}

// Texture coordinates run linearly along the square's sides, so the part showing reach is the
// square between the corresponding points; its corners' window points bound it.
bool CSpriteBatch::Bound(const CVector3 corners[4], const CAlphaCoverage::SRect& cell,
                         const CAlphaCoverage::SRect& reach, SBox& onScreen) const {
    const auto along = [](float value, float from, float to) {
        return (static_cast<double>(value) - from) / (static_cast<double>(to) - from);
    };
    const double a[2] = {along(reach.u0, cell.u0, cell.u1), along(reach.u1, cell.u0, cell.u1)};
    const double b[2] = {along(reach.v0, cell.v0, cell.v1), along(reach.v1, cell.v0, cell.v1)};
    // From corner 0 (u0, v0): corner 1 is u1 along one side, corner 3 is v1 along the other.
    const CVector3& origin = corners[0];
    const CVector3 across = corners[1].Subtract(origin);
    const CVector3 upward = corners[3].Subtract(origin);
    for (int i = 0; i < 4; ++i) {
        const double s = a[i == 1 || i == 2 ? 1 : 0];
        const double t = b[i >= 2 ? 1 : 0];
        double x = 0.0;
        double y = 0.0;
        if (!Project(origin.x + s * across.x + t * upward.x, origin.y + s * across.y + t * upward.y,
                     origin.z + s * across.z + t * upward.z, x, y)) {
            return false;
        }
        onScreen.x0 = i == 0 ? x : std::min(onScreen.x0, x);
        onScreen.x1 = i == 0 ? x : std::max(onScreen.x1, x);
        onScreen.y0 = i == 0 ? y : std::min(onScreen.y0, y);
        onScreen.y1 = i == 0 ? y : std::max(onScreen.y1, y);
    }
    return std::isfinite(onScreen.x0) && std::isfinite(onScreen.x1) && std::isfinite(onScreen.y0) &&
           std::isfinite(onScreen.y1);
}

// The coarsest level a sample can come from is the one to ask about: a coarser level's mask
// holds every finer one's. Under GL_NEAREST_MIPMAP_LINEAR a level of detail d samples levels
// floor(d) and the one above; below 0 only the full image.
int CSpriteBatch::SampledLevel(const SBox& onScreen, const CAlphaCoverage::SRect& cell) const {
    const int coarsest = coverage->GetLevelCount() - 1;
    const double texelsAcross = std::fabs(cell.u1 - cell.u0) * coverage->GetWidth();
    const double texelsUp = std::fabs(cell.v1 - cell.v0) * coverage->GetHeight();
    const double pixelsAcross = onScreen.x1 - onScreen.x0;
    const double pixelsUp = onScreen.y1 - onScreen.y0;
    if (!(pixelsAcross > 0.0 && pixelsUp > 0.0)) {
        return coarsest;
    }
    const double detail =
        std::log2(std::max(texelsAcross / pixelsAcross, texelsUp / pixelsUp)) + kLevelMargin;
    if (std::isnan(detail)) {
        return coarsest;
    }
    if (detail <= 0.0) {
        return 0;
    }
    return static_cast<int>(std::min<double>(coarsest, std::floor(detail) + 1.0));
}

bool CSpriteBatch::Project(double x, double y, double z, double& windowX, double& windowY) const {
    const double* m = transform;
    const double clipX = m[0] * x + m[4] * y + m[8] * z + m[12];
    const double clipY = m[1] * x + m[5] * y + m[9] * z + m[13];
    const double clipW = m[3] * x + m[7] * y + m[11] * z + m[15];
    if (!(clipW > kMinW)) {
        return false;
    }
    windowX = viewport[0] + (clipX / clipW + 1.0) * 0.5 * viewport[2];
    windowY = viewport[1] + (clipY / clipW + 1.0) * 0.5 * viewport[3];
    return true;
}

void CSpriteBatch::SetTrimming(bool on) {
    trimming = on;
}
