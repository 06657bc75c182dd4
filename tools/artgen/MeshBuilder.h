#pragma once

#include "Frame.h"
#include "Shapes.h"

#include <functional>
#include <string>
#include <vector>

// Builds a triangle mesh from closed parts and writes it as OBJ (v, vt, vn, f v/t/n). Faces are
// flat: each carries its own normal. Every part is a closed surface; when it ends, its faces are
// turned so that they wind counter-clockwise seen from outside and their normals point out.
//
// Unless a face brings its own texture coordinates, it is mapped into the skin atlas (see
// PaintSkin): its material picks the column, the way it faces the key light picks the shade row,
// and its shape is projected flat into that cell at a fixed scale.
class CMeshBuilder {
public:
    enum EMaterial { kHull = 0, kTrim = 1, kAccent = 2, kGlow = 3 };

    // keyLight: direction toward the baked light, in model space; unitsPerCell: model units that
    // one atlas cell spans.
    CMeshBuilder(const CVec& keyLight, double unitsPerCell);

    void AddTriangle(const CVec& a, const CVec& b, const CVec& c, EMaterial material);
    void AddTriangle(const CVec& a, const CVec& b, const CVec& c, const CVec2& ta, const CVec2& tb,
                     const CVec2& tc);
    void EndPart(); // turns the faces added since the last EndPart outward

    // Rings of points joined in order, each ring the same size; the end rings are closed with a
    // fan unless loop is set, in which case the last ring joins the first (a torus).
    void AddLoft(const std::vector<std::vector<CVec>>& rings, const CFrame& frame,
                 EMaterial material, bool loop = false);
    // The same with the caller's texture coordinates, one per point.
    void AddMappedLoft(const std::vector<std::vector<CVec>>& rings,
                       const std::vector<std::vector<CVec2>>& texRings);
    // A surface of revolution about local +y: profile points are (radius, height), bottom first.
    void AddLathe(const std::vector<CVec2>& profile, int sides, const CFrame& frame,
                  EMaterial material, double startDegrees = 0.0);
    void AddBox(const CFrame& frame, EMaterial material); // the cube -1..1 placed by frame
    void AddSphere(const CFrame& frame, int sides, int rings, EMaterial material);

    // The finished faces: corners, texture coordinates (atlas-mapped where the caller gave
    // none) and the outward unit normal.
    struct SFace {
        CVec corner[3];
        CVec2 texCoord[3];
        CVec normal;
    };
    std::vector<SFace> GetFaces() const;
    std::string ToObj(const std::string& title) const;

private:
    struct STriangle {
        CVec corner[3];
        CVec2 texCoord[3];
        bool mapped; // texture coordinates given by the caller
        EMaterial material;
    };
    struct SCorner {
        CVec position;
        CVec2 texCoord;
    };
    using CornerFunction = std::function<SCorner(size_t ring, size_t point)>;
    using FaceFunction = std::function<void(const SCorner&, const SCorner&, const SCorner&)>;
    static void Loft(size_t ringCount, size_t ringSize, bool loop, const CornerFunction& corner,
                     const FaceFunction& face);
    void MapToAtlas(STriangle& triangle) const;

    CVec keyLight;
    double unitsPerCell;
    std::vector<STriangle> triangles;
    size_t partStart = 0;
};
