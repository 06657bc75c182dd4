// The generated meshes, read back with the game's own OBJ loader: complete, closed the right way
// round, mapped into the skin atlas, facing and sized the way the game uses them.

#include "render/Mesh.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string DataPath(const std::string& relative) {
    return std::string(ZELKORA_DATA_DIR) + "/" + relative;
}

int CountFaceLines(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    int faces = 0;
    while (std::getline(file, line)) {
        faces += line.rfind("f ", 0) == 0 ? 1 : 0;
    }
    return faces;
}

struct SBounds {
    CVector3 low{1e9f, 1e9f, 1e9f};
    CVector3 high{-1e9f, -1e9f, -1e9f};
};

SBounds BoundsOf(const CMesh& mesh) {
    SBounds bounds;
    for (const CVector3& v : mesh.GetVertices()) {
        bounds.low = {std::min(bounds.low.x, v.x), std::min(bounds.low.y, v.y),
                      std::min(bounds.low.z, v.z)};
        bounds.high = {std::max(bounds.high.x, v.x), std::max(bounds.high.y, v.y),
                       std::max(bounds.high.z, v.z)};
    }
    return bounds;
}

double Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

class GeneratedMeshes : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        path = DataPath(GetParam());
        ASSERT_TRUE(mesh.Load(path.c_str())) << path;
    }
    std::string path;
    CMesh mesh;
};

TEST_P(GeneratedMeshes, LoadWholeWithEveryFaceResolved) {
    EXPECT_GT(mesh.GetFaceCount(), 0);
    EXPECT_EQ(mesh.GetFaceCount(), CountFaceLines(path)) << "a face the loader had to drop";
    // Every enemy loads its own copy at set-up, hundreds of them: keep them light.
    EXPECT_LE(mesh.GetFaceCount(), 1500);
}

// Each face's normal agrees with its winding (counter-clockwise from outside, as back-face
// culling needs), and the surface encloses a positive volume: the normals point out.
TEST_P(GeneratedMeshes, FacesWindOutwardWithMatchingNormals) {
    const auto& v = mesh.GetVertices();
    const auto& n = mesh.GetNormals();
    double volume = 0.0;
    for (const CMesh::STriangle& face : mesh.GetFaces()) {
        const CVector3& a = v[face.vertex[0]];
        const CVector3& b = v[face.vertex[1]];
        const CVector3& c = v[face.vertex[2]];
        const CVector3 winding = b.Subtract(a).Cross(c.Subtract(a));
        volume += Dot(a, b.Cross(c)) / 6.0;
        for (int corner = 0; corner < 3; ++corner) {
            const CVector3& normal = n[face.normal[corner]];
            EXPECT_NEAR(normal.Length(), 1.0, 1e-3);
            ASSERT_GT(Dot(normal, winding), 0.0) << "a face whose normal opposes its winding";
        }
    }
    EXPECT_GT(volume, 0.0);
}

// Atlas-mapped faces keep all three corners inside one cell of the 4 x 4 skin atlas, so they
// never smear across two materials or shades, whatever skin the game gives the mesh.
TEST_P(GeneratedMeshes, TextureCoordinatesStayInsideOneAtlasCell) {
    const auto& t = mesh.GetTexCoords();
    const bool laser = std::string(GetParam()) == "mesh/laser2.obj";
    for (const CMesh::STriangle& face : mesh.GetFaces()) {
        const CMesh::STexCoord& first = t[face.texCoord[0]];
        for (int corner = 0; corner < 3; ++corner) {
            const CMesh::STexCoord& tc = t[face.texCoord[corner]];
            ASSERT_GE(tc.u, 0.0f);
            ASSERT_LE(tc.u, 1.0f);
            ASSERT_GE(tc.v, 0.0f);
            ASSERT_LE(tc.v, 1.0f);
            if (!laser) { // the bolt spans its whole texture
                ASSERT_EQ(std::floor(tc.u * 4.0f), std::floor(first.u * 4.0f));
                ASSERT_EQ(std::floor(tc.v * 4.0f), std::floor(first.v * 4.0f));
            }
        }
    }
}

// Every craft carries some glowing parts (the atlas's last column: eyes, engines, canopies),
// and faces turned toward the baked light land in brighter rows than faces turned away.
TEST_P(GeneratedMeshes, SkinnedCraftHaveGlowAndLightFromAbove) {
    if (std::string(GetParam()) == "mesh/laser2.obj") {
        GTEST_SKIP() << "the bolt is all glow";
    }
    const auto& t = mesh.GetTexCoords();
    const auto& n = mesh.GetNormals();
    int glowing = 0;
    double upRow = 0.0;
    double downRow = 0.0;
    int up = 0;
    int down = 0;
    for (const CMesh::STriangle& face : mesh.GetFaces()) {
        const CMesh::STexCoord& tc = t[face.texCoord[0]];
        const int column = static_cast<int>(tc.u * 4.0f);
        const int row = static_cast<int>(tc.v * 4.0f);
        if (column == 3) {
            ++glowing;
            continue;
        }
        const float facing = n[face.normal[0]].y;
        if (facing > 0.9f) {
            upRow += row;
            ++up;
        } else if (facing < -0.9f) {
            downRow += row;
            ++down;
        }
    }
    EXPECT_GT(glowing, 0);
    if (up > 0 && down > 0) {
        EXPECT_GT(upRow / up, downRow / down + 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(All, GeneratedMeshes,
                         ::testing::Values("mesh/player.obj", "mesh/laser2.obj", "mesh/Enemy1.obj",
                                           "mesh/Enemy2.obj", "mesh/Enemy3.obj", "mesh/Enemy4.obj",
                                           "mesh/Enemy5.obj", "mesh/Enemy6.obj", "mesh/Enemy7.obj",
                                           "mesh/Enemy8.obj", "mesh/Enemy9.obj"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(5, name.size() - 9); // "player", "Enemy1"
                         });

TEST(GeneratedMeshSizes, ShipIsAFewUnitsAcrossWithItsNoseTowardMinusZ) {
    CMesh ship;
    ASSERT_TRUE(ship.Load(DataPath("mesh/player.obj").c_str()));
    // The camera sits 15 behind and 2 above; the radius keeps the ship off the wall of 70.
    EXPECT_GT(ship.GetRadius(), 2.5f);
    EXPECT_LT(ship.GetRadius(), 4.5f);
    const SBounds bounds = BoundsOf(ship);
    EXPECT_LT(bounds.low.z, -3.0f);
    EXPECT_GT(bounds.high.x - bounds.low.x, 4.0f) << "a few units across";
    EXPECT_LT(bounds.high.y - bounds.low.y, bounds.high.x - bounds.low.x) << "flat, not tall";
    // The nose is the narrow end: near the front the ship is far slimmer than near the back.
    double frontWidth = 0.0;
    double backWidth = 0.0;
    const double length = bounds.high.z - bounds.low.z;
    for (const CVector3& v : ship.GetVertices()) {
        if (v.z < bounds.low.z + 0.2 * length) {
            frontWidth = std::max(frontWidth, std::fabs(static_cast<double>(v.x)));
        }
        if (v.z > bounds.high.z - 0.2 * length) {
            backWidth = std::max(backWidth, std::fabs(static_cast<double>(v.x)));
        }
    }
    EXPECT_LT(frontWidth * 3.0, backWidth);
}

TEST(GeneratedMeshSizes, LaserBoltLiesAlongZ) {
    CMesh bolt;
    ASSERT_TRUE(bolt.Load(DataPath("mesh/laser2.obj").c_str()));
    const SBounds bounds = BoundsOf(bolt);
    const float length = bounds.high.z - bounds.low.z;
    EXPECT_GT(length, 3.0f * (bounds.high.x - bounds.low.x));
    EXPECT_GT(length, 3.0f * (bounds.high.y - bounds.low.y));
    EXPECT_NEAR(bounds.high.z, -bounds.low.z, 0.01f) << "centred on the shot's position";
    EXPECT_GT(bolt.GetRadius(), 2.0f);
    EXPECT_LT(bolt.GetRadius(), 4.0f);
}

TEST(GeneratedMeshSizes, EnemiesAreFairTargetsAndDifferentCraft) {
    std::vector<int> faceCounts;
    for (int number = 1; number <= 9; ++number) {
        CMesh enemy;
        const std::string path = "mesh/Enemy" + std::to_string(number) + ".obj";
        ASSERT_TRUE(enemy.Load(DataPath(path).c_str())) << path;
        // Big enough to hit and to read as a threat, small enough to pass in a tunnel of 70.
        EXPECT_GT(enemy.GetRadius(), 5.0f) << path;
        EXPECT_LT(enemy.GetRadius(), 10.0f) << path;
        for (int count : faceCounts) {
            EXPECT_NE(count, enemy.GetFaceCount()) << path << " looks like an earlier craft";
        }
        faceCounts.push_back(enemy.GetFaceCount());
    }
}

} // namespace
