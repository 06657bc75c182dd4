#pragma once

#include "render/AlphaCoverage.h"

#include <GL/gl.h>

class CTexture;
class CVector3;

// Squares facing the camera, each showing one cell of a sprite sheet, sent as GL_QUADS. Drawn
// filled under the alpha test (alpha > 0), a square whose cell is clear leaves no fragment yet
// costs a whole square of fill: an explosion's dead particles keep showing the empty last cell
// at their largest. Where the sheet's alpha coverage is known, trimming leaves such squares out.
// Only fragments the alpha test would drop are spared, so the picture stays exactly the same.
class CSpriteBatch {
public:
    // Opens glBegin(GL_QUADS). trim: the caller draws filled, with the alpha test at alpha > 0
    // and texture bound; without a texture or its coverage every square is sent.
    CSpriteBatch(const CTexture* texture, bool trim);
    CSpriteBatch(const CSpriteBatch&) = delete;
    CSpriteBatch& operator=(const CSpriteBatch&) = delete;

    // The square centre +- halfEdge x (right + up), showing cell, as Emit sends it.
    void Square(const CVector3& centre, float halfEdge, const CVector3& right, const CVector3& up,
                const CAlphaCoverage::SRect& cell);
    // glEnd. The texture coordinate left current is the last square's last corner, also when
    // that square was left out.
    void End();

    // The corners bottom left, bottom right, top right, top left; inside glBegin(GL_QUADS).
    static void Emit(const CVector3& centre, float halfEdge, const CVector3& right,
                     const CVector3& up, const CAlphaCoverage::SRect& cell);

    // On by default; off sends every square, to compare.
    static void SetTrimming(bool on);
    static bool IsTrimming();

    int GetLeftOutCount() const { return leftOut; } // squares not sent

private:
    // The corners in Emit's order, each coordinate computed in float as the squares always were.
    static void Corners(const CVector3& centre, float halfEdge, const CVector3& right,
                        const CVector3& up, CVector3 corners[4]);
    bool CanShow(const CVector3& centre, float halfEdge, const CVector3& right, const CVector3& up,
                 const CAlphaCoverage::SRect& cell) const;
    int SampledLevel(const CVector3& centre, float halfEdge, const CVector3& right,
                     const CVector3& up, const CAlphaCoverage::SRect& cell) const;
    // The window pixels the point lands on; false behind the eye.
    bool Project(const CVector3& point, double& x, double& y) const;

    const CAlphaCoverage* coverage = nullptr; // null: every square sent
    bool mipmapped = false;
    double transform[16] = {}; // projection x model-view, column-major; read when mipmapped
    GLint viewport[4] = {};
    bool lastLeftOut = false;
    float lastU0 = 0.0f;
    float lastV1 = 0.0f;
    int leftOut = 0;
};
