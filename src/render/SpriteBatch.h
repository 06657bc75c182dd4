#pragma once

#include "render/AlphaCoverage.h"

#include <GL/gl.h>

class CTexture;
class CVector3;

// Squares facing the camera, each showing one cell of a sprite sheet, sent as GL_QUADS. Drawn
// filled under the alpha test (alpha > 0), the clear texels of a cell leave no fragment yet cost
// fill: an explosion near the camera is dozens of window-sized squares, mostly clear, and its
// dead particles keep showing the empty last cell at their largest. Where the sheet's alpha
// coverage is known, trimming leaves out a square whose cell is clear and draws a large one
// under a scissor box around the part of its cell that can show. Only fragments the alpha test
// would drop are spared, so the picture stays exactly the same.
class CSpriteBatch {
public:
    // Opens glBegin(GL_QUADS). trim: the caller draws filled, with the alpha test at alpha > 0
    // and texture bound; without a texture or its coverage every square is sent.
    CSpriteBatch(const CTexture* texture, bool trim);
    CSpriteBatch(const CSpriteBatch&) = delete;
    CSpriteBatch& operator=(const CSpriteBatch&) = delete;

    // The square centre +- halfEdge x (right + up), showing cell: its corners bottom left,
    // bottom right, top right, top left.
    void Square(const CVector3& centre, float halfEdge, const CVector3& right, const CVector3& up,
                const CAlphaCoverage::SRect& cell);
    // glEnd. The texture coordinate left current is the last square's last corner, also when
    // that square was left out; the scissor box is as it was.
    void End();

    static void SetTrimming(bool on); // on by default; off sends every square, to compare

    int GetLeftOutCount() const { return leftOut; } // squares not sent
    int GetCutCount() const { return cut; }         // squares sent under a scissor box

private:
    // The corners in Square's order, each coordinate computed in float as the squares always were.
    static void Corners(const CVector3& centre, float halfEdge, const CVector3& right,
                        const CVector3& up, CVector3 corners[4]);
    static void EmitCorners(const CVector3 corners[4], const CAlphaCoverage::SRect& cell);
    enum class EFit { kWhole, kCut, kLeftOut };
    struct SBox {
        double x0, y0, x1, y1; // window pixels
    };

    EFit Fit(const CVector3 corners[4], const CAlphaCoverage::SRect& cell, GLint box[4]) const;
    int SampledLevel(const SBox& onScreen, const CAlphaCoverage::SRect& cell) const;
    // Where the square's part showing reach lands in the window; false behind the eye.
    bool Bound(const CVector3 corners[4], const CAlphaCoverage::SRect& cell,
               const CAlphaCoverage::SRect& reach, SBox& onScreen) const;
    // The window pixels a point lands on; false behind the eye.
    bool Project(double x, double y, double z, double& windowX, double& windowY) const;
    void DrawCut(const CVector3 corners[4], const CAlphaCoverage::SRect& cell, const GLint box[4]);

    const CAlphaCoverage* coverage = nullptr; // null: every square sent
    bool mipmapped = false;
    bool mayCut = false;       // no scissor test of the caller's to keep
    double transform[16] = {}; // projection x model-view, column-major
    GLint viewport[4] = {};
    GLint scissorBox[4] = {};
    bool lastLeftOut = false;
    float lastU0 = 0.0f;
    float lastV1 = 0.0f;
    int leftOut = 0;
    int cut = 0;
};
