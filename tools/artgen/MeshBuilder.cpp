#include "MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

constexpr double kMinimumArea = 1e-9;
constexpr double kCellMargin = 0.06; // of a cell, kept clear around a mapped face

CVec FaceNormal(const CVec& a, const CVec& b, const CVec& c) {
    return (b - a).Cross(c - a);
}

std::string FormatNumbers(std::initializer_list<double> numbers) {
    std::string text;
    char buffer[32];
    for (double number : numbers) {
        // Keep "-0.0000" out: it would be a second spelling of the same vertex.
        std::snprintf(buffer, sizeof buffer, " %.4f", std::fabs(number) < 5e-5 ? 0.0 : number);
        text += buffer;
    }
    return text;
}

// Numbers each distinct text in order of first use, for the v, vt and vn lists.
class CIndexedList {
public:
    int Add(const std::string& text) {
        const auto found = indices.find(text);
        if (found != indices.end()) {
            return found->second;
        }
        lines.push_back(text);
        const int index = static_cast<int>(lines.size());
        indices.emplace(text, index);
        return index;
    }
    const std::vector<std::string>& Lines() const { return lines; }

private:
    std::map<std::string, int> indices;
    std::vector<std::string> lines;
};

} // namespace

CMeshBuilder::CMeshBuilder(const CVec& keyLight, double unitsPerCell)
    : keyLight(keyLight.Normalized()), unitsPerCell(unitsPerCell) {}

void CMeshBuilder::AddTriangle(const CVec& a, const CVec& b, const CVec& c, EMaterial material) {
    if (FaceNormal(a, b, c).Length() < kMinimumArea) {
        return; // degenerate: a pole of a lathe or a zero-size cap
    }
    triangles.push_back({{a, b, c}, {}, false, material});
}

void CMeshBuilder::AddTriangle(const CVec& a, const CVec& b, const CVec& c, const CVec2& ta,
                               const CVec2& tb, const CVec2& tc) {
    if (FaceNormal(a, b, c).Length() < kMinimumArea) {
        return;
    }
    triangles.push_back({{a, b, c}, {ta, tb, tc}, true, kGlow});
}

void CMeshBuilder::EndPart() {
    // The signed volume of a closed surface is positive when its faces wind outward.
    double volume = 0.0;
    for (size_t i = partStart; i < triangles.size(); ++i) {
        const STriangle& t = triangles[i];
        volume += t.corner[0].Dot(t.corner[1].Cross(t.corner[2]));
    }
    if (volume < 0.0) {
        for (size_t i = partStart; i < triangles.size(); ++i) {
            std::swap(triangles[i].corner[1], triangles[i].corner[2]);
            std::swap(triangles[i].texCoord[1], triangles[i].texCoord[2]);
        }
    }
    partStart = triangles.size();
}

// Joins ring r to ring r + 1 with two triangles per side, and closes both ends with fans
// around their centres unless the rings loop. Sides and caps wind the same way round.
void CMeshBuilder::Loft(size_t ringCount, size_t ringSize, bool loop, const CornerFunction& corner,
                        const FaceFunction& face) {
    const size_t joins = loop ? ringCount : ringCount - 1;
    for (size_t r = 0; r < joins; ++r) {
        const size_t next = (r + 1) % ringCount;
        for (size_t j = 0; j < ringSize; ++j) {
            const size_t k = (j + 1) % ringSize;
            face(corner(r, j), corner(next, j), corner(next, k));
            face(corner(r, j), corner(next, k), corner(r, k));
        }
    }
    if (loop) {
        return;
    }
    for (size_t end : {size_t{0}, ringCount - 1}) {
        SCorner centre{{0, 0, 0}, {0, 0}};
        for (size_t j = 0; j < ringSize; ++j) {
            const SCorner point = corner(end, j);
            centre.position += point.position;
            centre.texCoord = centre.texCoord + point.texCoord;
        }
        centre.position = centre.position / static_cast<double>(ringSize);
        centre.texCoord = centre.texCoord * (1.0 / ringSize);
        for (size_t j = 0; j < ringSize; ++j) {
            const size_t k = (j + 1) % ringSize;
            if (end == 0) {
                face(centre, corner(end, j), corner(end, k));
            } else {
                face(centre, corner(end, k), corner(end, j));
            }
        }
    }
}

void CMeshBuilder::AddLoft(const std::vector<std::vector<CVec>>& rings, const CFrame& frame,
                           EMaterial material, bool loop) {
    Loft(
        rings.size(), rings.front().size(), loop,
        [&](size_t r, size_t j) {
            return SCorner{frame.Apply(rings[r][j]), {0, 0}};
        },
        [&](const SCorner& a, const SCorner& b, const SCorner& c) {
            AddTriangle(a.position, b.position, c.position, material);
        });
    EndPart();
}

void CMeshBuilder::AddMappedLoft(const std::vector<std::vector<CVec>>& rings,
                                 const std::vector<std::vector<CVec2>>& texRings) {
    Loft(
        rings.size(), rings.front().size(), false,
        [&](size_t r, size_t j) {
            return SCorner{rings[r][j], texRings[r][j]};
        },
        [&](const SCorner& a, const SCorner& b, const SCorner& c) {
            AddTriangle(a.position, b.position, c.position, a.texCoord, b.texCoord, c.texCoord);
        });
    EndPart();
}

void CMeshBuilder::AddLathe(const std::vector<CVec2>& profile, int sides, const CFrame& frame,
                            EMaterial material, double startDegrees) {
    std::vector<std::vector<CVec>> rings;
    for (const CVec2& point : profile) {
        std::vector<CVec> ring;
        for (int side = 0; side < sides; ++side) {
            const double angle = (startDegrees + 360.0 * side / sides) * M_PI / 180.0;
            ring.push_back({point.x * std::cos(angle), point.y, point.x * std::sin(angle)});
        }
        rings.push_back(ring);
    }
    AddLoft(rings, frame, material);
}

void CMeshBuilder::AddBox(const CFrame& frame, EMaterial material) {
    const std::vector<CVec> bottom{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}};
    const std::vector<CVec> top{{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}};
    AddLoft({bottom, top}, frame, material);
}

void CMeshBuilder::AddSphere(const CFrame& frame, int sides, int rings, EMaterial material) {
    std::vector<CVec2> profile;
    for (int ring = 0; ring <= rings; ++ring) {
        const double angle = M_PI * ring / rings - M_PI * 0.5;
        profile.push_back({std::cos(angle), std::sin(angle)});
    }
    profile.front().x = 0.0;
    profile.back().x = 0.0;
    AddLathe(profile, sides, frame, material);
}

void CMeshBuilder::MapToAtlas(STriangle& triangle) const {
    const CVec normal =
        FaceNormal(triangle.corner[0], triangle.corner[1], triangle.corner[2]).Normalized();
    const double facing = 0.5 + 0.5 * normal.Dot(keyLight);
    const int row = std::clamp(static_cast<int>(facing * 4.0), 0, 3);
    // Project onto the plane the face is most nearly parallel to.
    const double ax = std::fabs(normal.x);
    const double ay = std::fabs(normal.y);
    const double az = std::fabs(normal.z);
    CVec2 projected[3];
    for (int i = 0; i < 3; ++i) {
        const CVec& p = triangle.corner[i];
        projected[i] = ax >= ay && ax >= az ? CVec2{p.z, p.y}
                       : ay >= az           ? CVec2{p.x, p.z}
                                            : CVec2{p.x, p.y};
        projected[i] = projected[i] * (1.0 / unitsPerCell);
    }
    CVec2 low = projected[0];
    CVec2 high = projected[0];
    for (const CVec2& p : projected) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    const double room = 1.0 - 2.0 * kCellMargin;
    const double extent = std::max(high.x - low.x, high.y - low.y);
    const double scale = extent > room ? room / extent : 1.0;
    // Keep the face where its position puts it in the pattern when it fits, so neighbouring
    // faces continue each other's plating.
    auto offset = [&](double start, double size) {
        const double wanted = start - std::floor(start);
        // A face scaled to fill the room leaves the upper bound a rounding error below the
        // lower one, which std::clamp does not allow.
        const double latest = std::max(kCellMargin, 1.0 - kCellMargin - size * scale);
        return std::clamp(wanted, kCellMargin, latest);
    };
    const double offsetX = offset(low.x, high.x - low.x);
    const double offsetY = offset(low.y, high.y - low.y);
    const int column = static_cast<int>(triangle.material);
    for (int i = 0; i < 3; ++i) {
        const double u = (projected[i].x - low.x) * scale + offsetX;
        const double v = (projected[i].y - low.y) * scale + offsetY;
        triangle.texCoord[i] = {(column + u) * 0.25, (row + v) * 0.25};
    }
}

std::vector<CMeshBuilder::SFace> CMeshBuilder::GetFaces() const {
    std::vector<SFace> faces;
    faces.reserve(triangles.size());
    for (STriangle triangle : triangles) {
        if (!triangle.mapped) {
            MapToAtlas(triangle);
        }
        const CVec normal =
            FaceNormal(triangle.corner[0], triangle.corner[1], triangle.corner[2]).Normalized();
        faces.push_back({{triangle.corner[0], triangle.corner[1], triangle.corner[2]},
                         {triangle.texCoord[0], triangle.texCoord[1], triangle.texCoord[2]},
                         normal});
    }
    return faces;
}

std::string CMeshBuilder::ToObj(const std::string& title) const {
    CIndexedList vertices;
    CIndexedList texCoords;
    CIndexedList normals;
    std::string faceLines;
    for (const SFace& face : GetFaces()) {
        const int n = normals.Add(FormatNumbers({face.normal.x, face.normal.y, face.normal.z}));
        faceLines += "f";
        for (int i = 0; i < 3; ++i) {
            const CVec& p = face.corner[i];
            const int v = vertices.Add(FormatNumbers({p.x, p.y, p.z}));
            const int t = texCoords.Add(FormatNumbers({face.texCoord[i].x, face.texCoord[i].y}));
            faceLines +=
                " " + std::to_string(v) + "/" + std::to_string(t) + "/" + std::to_string(n);
        }
        faceLines += "\n";
    }
    std::string text = "# " + title + "\n";
    for (const std::string& line : vertices.Lines()) {
        text += "v" + line + "\n";
    }
    for (const std::string& line : texCoords.Lines()) {
        text += "vt" + line + "\n";
    }
    for (const std::string& line : normals.Lines()) {
        text += "vn" + line + "\n";
    }
    return text + faceLines;
}
