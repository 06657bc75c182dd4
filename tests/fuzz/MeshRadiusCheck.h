#pragma once

#include "render/Mesh.h"

#include <cmath>

// True when the mesh's radius is, to float precision, the largest distance from the origin of a
// vertex that some face uses: 0 without faces, infinite when such a distance is, and a vertex
// with a coordinate that is not a number counts for nothing. Measured with hypot, not as the mesh
// measures it, so that a slip in either formula shows (two at a time: the three-argument form
// gives NaN for an infinite coordinate).
inline bool RadiusIsTheFarthestUsedVertex(const CMesh& mesh) {
    double farthest = 0.0;
    for (const CMesh::STriangle& face : mesh.GetFaces()) {
        for (const int index : face.vertex) {
            const CVector3& v = mesh.GetVertices()[index];
            if (!std::isnan(v.x) && !std::isnan(v.y) && !std::isnan(v.z)) {
                farthest = std::fmax(farthest,
                                     std::hypot(std::hypot(double{v.x}, double{v.y}), double{v.z}));
            }
        }
    }
    const double radius = mesh.GetRadius();
    if (std::isinf(farthest) || std::isinf(radius) || farthest == 0.0) {
        return radius == farthest || (std::isinf(radius) && farthest > 3.4e38);
    }
    return std::abs(radius - farthest) <= farthest * 1e-6;
}
