#include "render/SpriteBatch.h"

#include "render/Texture.h"
#include "world/Vector3.h"

#include <algorithm>
#include <cmath>

namespace {

bool trimming = true;

// Mipmap levels added to the estimate: the driver's level of detail is an approximation.
constexpr double kLevelMargin = 1.0;
constexpr double kMinW = 1e-6;

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

} // namespace

CSpriteBatch::CSpriteBatch(const CTexture* texture, bool trim) {
    if (trim && trimming && texture != nullptr && glIsEnabled(GL_TEXTURE_2D)) {
        coverage = texture->GetAlphaCoverage();
        mipmapped = texture->IsMipmapped();
    }
    if (coverage != nullptr && mipmapped) {
        // How large a square shows decides which levels it samples.
        GLdouble projection[16];
        GLdouble modelView[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        MultiplyColumnMajor(projection, modelView, transform);
        glGetIntegerv(GL_VIEWPORT, viewport);
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

void CSpriteBatch::Emit(const CVector3& centre, float halfEdge, const CVector3& right,
                        const CVector3& up, const CAlphaCoverage::SRect& cell) {
    CVector3 corners[4];
    Corners(centre, halfEdge, right, up, corners);
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
    lastLeftOut = coverage != nullptr && !CanShow(centre, halfEdge, right, up, cell);
    if (lastLeftOut) {
        ++leftOut;
        return;
    }
    Emit(centre, halfEdge, right, up, cell);
}

void CSpriteBatch::End() {
    if (lastLeftOut) {
        glTexCoord2f(lastU0, lastV1);
    }
    glEnd();
}

bool CSpriteBatch::CanShow(const CVector3& centre, float halfEdge, const CVector3& right,
                           const CVector3& up, const CAlphaCoverage::SRect& cell) const {
    const int level = mipmapped ? SampledLevel(centre, halfEdge, right, up, cell) : 0;
    return coverage->Shows(cell, level) != CAlphaCoverage::EShows::kNever;
}

// The coarsest level a sample can come from is the one to ask about: a coarser level's mask
// holds every finer one's. Under GL_NEAREST_MIPMAP_LINEAR a level of detail d samples levels
// floor(d) and the one above; below 0 only the full image.
int CSpriteBatch::SampledLevel(const CVector3& centre, float halfEdge, const CVector3& right,
                               const CVector3& up, const CAlphaCoverage::SRect& cell) const {
    const int coarsest = coverage->GetLevelCount() - 1;
    CVector3 corners[4];
    Corners(centre, halfEdge, right, up, corners);
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    for (int i = 0; i < 4; ++i) {
        double x = 0.0;
        double y = 0.0;
        if (!Project(corners[i], x, y)) {
            return coarsest;
        }
        minX = i == 0 ? x : std::min(minX, x);
        maxX = i == 0 ? x : std::max(maxX, x);
        minY = i == 0 ? y : std::min(minY, y);
        maxY = i == 0 ? y : std::max(maxY, y);
    }
    const double texelsAcross = std::fabs(cell.u1 - cell.u0) * coverage->GetWidth();
    const double texelsUp = std::fabs(cell.v1 - cell.v0) * coverage->GetHeight();
    const double pixelsAcross = maxX - minX;
    const double pixelsUp = maxY - minY;
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

bool CSpriteBatch::Project(const CVector3& point, double& x, double& y) const {
    const double* m = transform;
    const double clipX = m[0] * point.x + m[4] * point.y + m[8] * point.z + m[12];
    const double clipY = m[1] * point.x + m[5] * point.y + m[9] * point.z + m[13];
    const double clipW = m[3] * point.x + m[7] * point.y + m[11] * point.z + m[15];
    if (!(clipW > kMinW)) {
        return false;
    }
    x = viewport[0] + (clipX / clipW + 1.0) * 0.5 * viewport[2];
    y = viewport[1] + (clipY / clipW + 1.0) * 0.5 * viewport[3];
    return true;
}

void CSpriteBatch::SetTrimming(bool on) {
    trimming = on;
}

bool CSpriteBatch::IsTrimming() {
    return trimming;
}
