#include "Meshes.h"

#include "MeshBuilder.h"

#include <cmath>

namespace {

using M = CMeshBuilder;

// The baked light comes from above, a little from the right and from the camera's side (+z):
// the player's ship is seen from behind and above.
const CVec kShipLight{0.3, 0.85, 0.45};
const CVec kEnemyLight{0.35, 0.8, 0.5};

// A flattened hexagonal section in the x-y plane at depth z (lofts along z).
std::vector<CVec> HexSection(double width, double height, double z, double lift = 0.0) {
    return {{width, lift, z},
            {width * 0.6, lift + height, z},
            {-width * 0.6, lift + height, z},
            {-width, lift, z},
            {-width * 0.6, lift - height * 0.7, z},
            {width * 0.6, lift - height * 0.7, z}};
}

// A diamond (thin airfoil) section in the y-z plane at span x (lofts along x).
std::vector<CVec> WingSection(double x, double y, double front, double back, double thickness) {
    const double middle = front + (back - front) * 0.35;
    return {{x, y, front}, {x, y + thickness, middle}, {x, y, back}, {x, y - thickness, middle}};
}

CFrame AtScaled(const CVec& origin, double sx, double sy, double sz) {
    return CFrame::Translate(origin) * CFrame::Scale(sx, sy, sz);
}
// A lathe or box axis (local +y) turned onto +z.
CFrame AlongZ(const CVec& origin) {
    return CFrame::Translate(origin) * CFrame::RotateX(90.0);
}

void Cone(CMeshBuilder& mesh, const CVec& base, const CVec& tip, double radius, int sides,
          M::EMaterial material) {
    const double length = (tip - base).Length();
    mesh.AddLathe({{0, 0}, {radius, 0}, {0, length}}, sides, CFrame::AlongY(base, tip - base),
                  material);
}

// A bar of square section from a to b.
void Strut(CMeshBuilder& mesh, const CVec& a, const CVec& b, double halfWidth,
           M::EMaterial material) {
    const double half = (b - a).Length() * 0.5;
    mesh.AddBox(CFrame::AlongY((a + b) * 0.5, b - a) * CFrame::Scale(halfWidth, half, halfWidth),
                material);
}

void Torus(CMeshBuilder& mesh, const CFrame& frame, double major, double minor, int around,
           int tube, M::EMaterial material) {
    std::vector<std::vector<CVec>> rings;
    for (int i = 0; i < around; ++i) {
        const double a = 2.0 * M_PI * i / around;
        std::vector<CVec> ring;
        for (int j = 0; j < tube; ++j) {
            const double b = 2.0 * M_PI * j / tube;
            const double r = major + minor * std::cos(b);
            ring.push_back({r * std::cos(a), minor * std::sin(b), r * std::sin(a)});
        }
        rings.push_back(ring);
    }
    mesh.AddLoft(rings, frame, material, true);
}

} // namespace

CMeshBuilder BuildPlayerMesh() {
    CMeshBuilder mesh(kShipLight, 1.6);
    mesh.AddLoft({HexSection(0.04, 0.04, -3.3, 0.05), HexSection(0.34, 0.28, -2.4, 0.05),
                  HexSection(0.6, 0.48, -1.0), HexSection(0.76, 0.55, 0.5),
                  HexSection(0.7, 0.5, 1.8), HexSection(0.56, 0.42, 2.3)},
                 {}, M::kHull);
    mesh.AddSphere(AtScaled({0, 0.42, -0.9}, 0.34, 0.3, 0.95), 8, 6, M::kGlow); // canopy
    for (double side : {-1.0, 1.0}) {
        // Swept wings with a little droop, and a striped pod at each tip.
        mesh.AddLoft({WingSection(side * 0.5, 0.0, -0.7, 1.9, 0.16),
                      WingSection(side * 1.7, -0.08, 0.4, 1.95, 0.1),
                      WingSection(side * 2.7, -0.16, 1.1, 1.95, 0.05)},
                     {}, M::kHull);
        mesh.AddLathe({{0, 0}, {0.12, 0.2}, {0.14, 1.2}, {0, 1.5}}, 6,
                      AlongZ({side * 2.72, -0.16, 0.6}), M::kAccent);
        // Engine nacelle and its exhaust.
        mesh.AddLathe({{0, 0}, {0.22, 0.3}, {0.33, 0.9}, {0.33, 1.7}, {0.27, 1.9}, {0, 1.9}}, 8,
                      AlongZ({side * 0.78, -0.08, 0.55}), M::kTrim);
        mesh.AddLathe({{0, 0}, {0.24, 0}, {0.2, 0.18}, {0, 0.24}}, 8,
                      AlongZ({side * 0.78, -0.08, 2.45}), M::kGlow);
        // Tail fin, leaning outward.
        mesh.AddLoft({{{side * 0.3, 0.35, 1.0},
                       {side * 0.3, 0.45, 1.7},
                       {side * 0.3, 0.35, 2.25},
                       {side * 0.3, 0.25, 1.7}},
                      {{side * 0.62, 1.05, 1.75},
                       {side * 0.62, 1.1, 2.05},
                       {side * 0.62, 1.05, 2.3},
                       {side * 0.62, 1.0, 2.05}}},
                     {}, M::kAccent);
    }
    return mesh;
}

CMeshBuilder BuildLaserMesh() {
    CMeshBuilder mesh(kShipLight, 1.0);
    const double halfLength = 3.0;
    const double halfWidth = 0.7;
    const double skin = 0.002; // the cards are closed boxes this thin, seen from both sides
    for (int card = 0; card < 2; ++card) {
        // Corners of the card's rectangle, once on each side of its thin skin.
        auto corner = [&](double across, double along, double through) {
            return card == 0 ? CVec{across, through, along} : CVec{through, across, along};
        };
        std::vector<std::vector<CVec>> rings;
        std::vector<std::vector<CVec2>> texRings;
        for (double through : {-skin, skin}) {
            rings.push_back(
                {corner(-halfWidth, -halfLength, through), corner(halfWidth, -halfLength, through),
                 corner(halfWidth, halfLength, through), corner(-halfWidth, halfLength, through)});
            texRings.push_back({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        }
        mesh.AddMappedLoft(rings, texRings);
    }
    // A hot core that shows as a spark when the bolt is seen end-on, flying away.
    const int sides = 6;
    const double coreRadius = 0.2;
    const double coreHalf = 2.4;
    for (int side = 0; side < sides; ++side) {
        const double a0 = 2.0 * M_PI * side / sides;
        const double a1 = 2.0 * M_PI * (side + 1) / sides;
        const CVec p0{coreRadius * std::cos(a0), coreRadius * std::sin(a0), 0.0};
        const CVec p1{coreRadius * std::cos(a1), coreRadius * std::sin(a1), 0.0};
        const CVec front{0, 0, -coreHalf};
        const CVec back{0, 0, coreHalf};
        const CVec2 tip{0.5, 0.5 - coreHalf / halfLength * 0.45};
        const CVec2 end{0.5, 0.5 + coreHalf / halfLength * 0.45};
        const CVec2 middle{0.5, 0.5};
        mesh.AddTriangle(front, p1, p0, tip, middle, middle);
        mesh.AddTriangle(back, p0, p1, end, middle, middle);
    }
    mesh.EndPart();
    return mesh;
}

namespace {

// A disc with a red dome, lights round its rim and three guns underneath.
void BuildSaucer(CMeshBuilder& mesh) {
    mesh.AddLathe({{0, -1.6},
                   {2.5, -1.7},
                   {5.5, -1.1},
                   {7.8, -0.2},
                   {7.8, 0.25},
                   {5.5, 0.9},
                   {3.2, 1.2},
                   {0, 1.2}},
                  20, {}, M::kHull);
    mesh.AddSphere(AtScaled({0, 1.0, 0}, 3.0, 2.2, 3.0), 12, 6, M::kGlow);
    for (int light = 0; light < 8; ++light) {
        const double a = light * M_PI / 4.0;
        mesh.AddSphere(AtScaled({6.6 * std::cos(a), 0.55, 6.6 * std::sin(a)}, 0.5, 0.5, 0.5), 6, 4,
                       M::kGlow);
    }
    for (int gun = 0; gun < 3; ++gun) {
        const double a = gun * 2.0 * M_PI / 3.0 + 0.5;
        const CVec base{4.0 * std::cos(a), -1.2, 4.0 * std::sin(a)};
        Cone(mesh, base, base + CVec{0.6 * std::cos(a), -2.2, 0.6 * std::sin(a)}, 0.75, 6,
             M::kAccent);
    }
}

// A ball bristling with spikes along the twelve corners of an icosahedron, belted with light.
void BuildMine(CMeshBuilder& mesh) {
    mesh.AddSphere(AtScaled({0, 0, 0}, 3.6, 3.6, 3.6), 14, 10, M::kTrim);
    Torus(mesh, {}, 3.65, 0.4, 20, 6, M::kGlow);
    const double g = (1.0 + std::sqrt(5.0)) * 0.5;
    const CVec corners[12] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                              {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                              {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    for (int i = 0; i < 12; ++i) {
        const CVec direction = corners[i].Normalized();
        Cone(mesh, direction * 2.9, direction * 8.2, 1.05, 6, i % 2 == 0 ? M::kHull : M::kAccent);
    }
}

// A long arrowhead with forward-swept blades and twin engines.
void BuildDart(CMeshBuilder& mesh) {
    auto diamond = [](double width, double height, double z) {
        return std::vector<CVec>{{width, 0, z}, {0, height, z}, {-width, 0, z}, {0, -height, z}};
    };
    mesh.AddLoft({diamond(0.05, 0.05, -7.0), diamond(1.8, 1.3, -3.0), diamond(2.3, 1.6, 2.0),
                  diamond(1.7, 1.1, 4.0)},
                 {}, M::kHull);
    mesh.AddSphere(AtScaled({0, 1.1, -1.2}, 0.8, 0.6, 1.9), 8, 5, M::kGlow);
    for (double side : {-1.0, 1.0}) {
        mesh.AddLoft({WingSection(side * 1.5, 0.0, -0.8, 3.5, 0.45),
                      WingSection(side * 4.0, 0.3, -2.2, 1.0, 0.3),
                      WingSection(side * 6.3, 0.6, -3.6, -1.6, 0.15)},
                     {}, M::kAccent);
        mesh.AddBox(AtScaled({side * 6.3, 0.6, -2.4}, 0.35, 0.35, 1.7), M::kTrim); // wing gun
        mesh.AddLathe({{0, 0}, {0.75, 0}, {0.6, 0.6}, {0, 0.7}}, 8, AlongZ({side * 0.9, 0, 3.9}),
                      M::kGlow);
    }
}

// A ring around a staring eye, held by four struts.
void BuildRingDrone(CMeshBuilder& mesh) {
    Torus(mesh, CFrame::RotateX(90.0), 6.0, 1.1, 20, 8, M::kHull);
    mesh.AddSphere(AtScaled({0, 0, 0}, 2.4, 2.4, 2.4), 12, 8, M::kTrim);
    mesh.AddSphere(AtScaled({0, 0, 2.0}, 1.5, 1.5, 0.6), 10, 5, M::kGlow);
    for (int strut = 0; strut < 4; ++strut) {
        const double a = (strut + 0.5) * M_PI / 2.0;
        const CVec out{std::cos(a), std::sin(a), 0.0};
        Strut(mesh, out * 2.0, out * 5.2, 0.35, M::kAccent);
    }
}

// A spindle with three scythe blades, each tipped with light.
void BuildTriBlade(CMeshBuilder& mesh) {
    mesh.AddLathe({{0, -3.5}, {1.2, -2.5}, {1.8, -0.5}, {1.8, 0.8}, {1.2, 2.5}, {0, 3.5}}, 10, {},
                  M::kHull);
    for (int blade = 0; blade < 3; ++blade) {
        const CFrame turn = CFrame::RotateY(blade * 120.0);
        auto section = [](double x, double low, double high, double thickness) {
            return std::vector<CVec>{{x, low, 0},
                                     {x, (low + high) * 0.5, thickness},
                                     {x, high, 0},
                                     {x, (low + high) * 0.5, -thickness}};
        };
        mesh.AddLoft({section(1.4, -1.6, 1.6, 0.35), section(4.5, -0.4, 2.2, 0.25),
                      section(7.6, 2.2, 3.0, 0.08)},
                     turn, M::kAccent);
        mesh.AddSphere(turn * AtScaled({7.2, 2.6, 0}, 0.55, 0.55, 0.55), 6, 4, M::kGlow);
    }
}

// A low armoured shell on six legs, with pincers and two glowing eyes.
void BuildCrab(CMeshBuilder& mesh) {
    mesh.AddSphere(AtScaled({0, 0.5, 0}, 5.6, 2.4, 4.4), 14, 8, M::kHull);
    mesh.AddBox(AtScaled({0, -0.9, 0}, 4.2, 0.8, 3.3), M::kTrim);
    for (double side : {-1.0, 1.0}) {
        mesh.AddSphere(AtScaled({side * 1.5, 1.3, 3.9}, 0.6, 0.6, 0.6), 8, 5, M::kGlow);
        Strut(mesh, {side * 3.2, -0.2, 3.0}, {side * 4.6, 0.0, 5.4}, 0.45, M::kTrim);
        Cone(mesh, {side * 4.6, 0.0, 5.2}, {side * 3.6, 0.2, 7.6}, 0.8, 6, M::kAccent);
        Cone(mesh, {side * 4.8, -0.2, 5.2}, {side * 5.4, -0.3, 7.2}, 0.55, 6, M::kAccent);
        for (int leg = 0; leg < 3; ++leg) {
            const double z = -2.0 + leg * 1.8;
            Strut(mesh, {side * 4.0, -0.6, z}, {side * 6.0, -1.4, z - 0.4}, 0.3, M::kTrim);
            Strut(mesh, {side * 6.0, -1.4, z - 0.4}, {side * 6.6, -3.6, z - 0.6}, 0.25, M::kTrim);
        }
    }
}

// A long crystal with a belt of light and four shards in orbit.
void BuildCrystal(CMeshBuilder& mesh) {
    mesh.AddLathe({{0, -6.2}, {2.6, 0}, {0, 6.2}}, 6, {}, M::kAccent);
    Torus(mesh, {}, 2.35, 0.45, 12, 6, M::kGlow);
    for (int shard = 0; shard < 4; ++shard) {
        const CFrame place = CFrame::RotateY(shard * 90.0 + 45.0) *
                             CFrame::Translate({5.2, 0.0, 0.0}) * CFrame::RotateZ(25.0);
        mesh.AddLathe({{0, -1.4}, {0.8, 0}, {0, 1.4}}, 4, place, M::kHull);
    }
}

// An armoured eye on the watch, with antennas behind.
void BuildEye(CMeshBuilder& mesh) {
    mesh.AddSphere(AtScaled({0, 0, 0}, 4.2, 4.2, 4.2), 14, 10, M::kTrim);
    mesh.AddSphere(AtScaled({0, 0, 3.75}, 2.2, 2.2, 0.75), 12, 5, M::kGlow);
    mesh.AddSphere(AtScaled({0, 0, 4.35}, 0.8, 0.8, 0.3), 8, 4, M::kTrim);
    for (int plate = 0; plate < 8; ++plate) {
        const double longitude = (plate % 4) * 90.0 + 45.0;
        const double latitude = plate < 4 ? 32.0 : -32.0;
        const CFrame place = CFrame::RotateY(longitude + 180.0) * CFrame::RotateX(-latitude) *
                             CFrame::Translate({0, 0, 4.25});
        mesh.AddBox(place * CFrame::Scale(1.5, 1.5, 0.28), M::kHull);
    }
    for (int antenna = 0; antenna < 3; ++antenna) {
        const double a = antenna * 2.0 * M_PI / 3.0;
        const CVec base{1.6 * std::cos(a), 1.6 * std::sin(a), -3.6};
        Cone(mesh, base, base + CVec{1.2 * std::cos(a), 1.2 * std::sin(a), -2.6}, 0.35, 5,
             M::kAccent);
    }
}

// Two heavy pods on a beam, a cockpit between them and guns forward.
void BuildBarbell(CMeshBuilder& mesh) {
    for (double side : {-1.0, 1.0}) {
        mesh.AddLathe({{0, -4.5}, {1.6, -3.5}, {2.2, -1.0}, {2.2, 2.5}, {1.8, 3.8}, {0, 4.2}}, 10,
                      AlongZ({side * 5.8, 0, 0}), M::kHull);
        mesh.AddLathe({{0, 0}, {1.3, 0}, {1.1, 0.4}, {0, 0.5}}, 10, AlongZ({side * 5.8, 0, 3.9}),
                      M::kGlow);
        mesh.AddLathe({{0, 0}, {0.32, 0}, {0.32, 3.2}, {0, 3.2}}, 6,
                      AlongZ({side * 5.8, -1.9, -6.2}), M::kTrim);
        mesh.AddBox(AtScaled({side * 5.8, 2.3, 0.5}, 0.3, 0.5, 2.5), M::kAccent); // spine
    }
    mesh.AddBox(AtScaled({0, 0, 0.5}, 4.0, 0.6, 1.0), M::kTrim);
    mesh.AddSphere(AtScaled({0, 0.4, 0}, 2.2, 1.8, 2.4), 12, 7, M::kAccent);
    mesh.AddSphere(AtScaled({0, 1.1, -1.1}, 1.3, 0.8, 1.2), 10, 5, M::kGlow);
}

} // namespace

CMeshBuilder BuildEnemyMesh(int number) {
    CMeshBuilder mesh(kEnemyLight, 4.0);
    switch (number) {
    case 1:
        BuildSaucer(mesh);
        break;
    case 2:
        BuildMine(mesh);
        break;
    case 3:
        BuildDart(mesh);
        break;
    case 4:
        BuildRingDrone(mesh);
        break;
    case 5:
        BuildTriBlade(mesh);
        break;
    case 6:
        BuildCrab(mesh);
        break;
    case 7:
        BuildCrystal(mesh);
        break;
    case 8:
        BuildEye(mesh);
        break;
    default:
        BuildBarbell(mesh);
        break;
    }
    return mesh;
}
