#include "render/Mesh.h"

#include "ToneFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

// Three corners that every face in these tests can use: v 1..3, vt 1..2, vn 1.
const char* const kCorners = "v 1 2 2\n"
                             "v 0 1 0\n"
                             "v 0 0 1\n"
                             "vt 0.25 0.75\n"
                             "vt 1 0\n"
                             "vn 0 0 1\n";

CMesh LoadText(const std::string& text) {
    std::istringstream in(text);
    CMesh mesh;
    mesh.LoadFrom(in);
    return mesh;
}

std::vector<float> VertexArrayOf(const CMesh& mesh) {
    return {mesh.GetVertexArray(), mesh.GetVertexArray() + mesh.GetFaceCount() * 9};
}

int FacesIn(const std::string& faceLines) {
    return LoadText(std::string(kCorners) + faceLines).GetFaceCount();
}

TEST(Mesh, BuildsFlatArraysCornerByCornerFromTheLists) {
    const CMesh mesh = LoadText("v 1 0 0\nv 0 1 0\nv 0 0 1\n"
                                "vt 0.1 0.9\nvt 0.2 0.8\nvt 0.3 0.7\n"
                                "vn 1 0 0\nvn 0 2 0\n"
                                "f 3/1/2 1/2/1 2/3/2\n");
    ASSERT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_EQ(VertexArrayOf(mesh), (std::vector<float>{0, 0, 1, 1, 0, 0, 0, 1, 0}));
    const std::vector<float> normals(mesh.GetNormalArray(), mesh.GetNormalArray() + 9);
    EXPECT_EQ(normals, (std::vector<float>{0, 2, 0, 1, 0, 0, 0, 2, 0})); // not normalised
    const std::vector<float> texCoords(mesh.GetTexCoordArray(), mesh.GetTexCoordArray() + 6);
    EXPECT_EQ(texCoords, (std::vector<float>{0.1f, 0.9f, 0.2f, 0.8f, 0.3f, 0.7f})); // no flip
    const CMesh::STriangle& face = mesh.GetFaces()[0];
    EXPECT_EQ(face.vertex[0], 2);
    EXPECT_EQ(face.texCoord[1], 1);
    EXPECT_EQ(face.normal[2], 1);
}

TEST(Mesh, AQuadGivesTheTriangleOfItsFirstThreeCorners) {
    const CMesh mesh = LoadText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                "f 1/1/1 2/1/1 3/1/1 4/1/1\n");
    ASSERT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_EQ(VertexArrayOf(mesh), (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0}));
}

TEST(Mesh, RadiusComesFromUsedCornersOnly) {
    EXPECT_FLOAT_EQ(LoadText(std::string(kCorners) + "v 50 0 0\nf 1/1/1 2/1/1 3/1/1\n").GetRadius(),
                    3.0f);
    const CMesh noFaces = LoadText(kCorners);
    EXPECT_EQ(noFaces.GetFaceCount(), 0);
    EXPECT_EQ(noFaces.GetRadius(), 0.0f);
    EXPECT_EQ(noFaces.GetVertices().size(), 3u);
}

TEST(Mesh, WindowsLineEndsAndAMissingLastNewlineAreRead) {
    const CMesh mesh = LoadText("v 1 2 2\r\nv 0 1 0\r\nv 0 0 1\r\nvt 0.5 0.5\r\nvn 0 0 1\r\n"
                                "f 1/1/1 2/1/1 3/1/1");
    ASSERT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_FLOAT_EQ(mesh.GetRadius(), 3.0f);
    EXPECT_EQ(mesh.GetNormals()[0].z, 1.0f);
    EXPECT_EQ(FacesIn("f 1/1/1 2/1/1 3/1/1\n\n"), 1); // a final empty line adds nothing
}

TEST(Mesh, LinesOutsideTheSubsetAreSkipped) {
    const CMesh mesh = LoadText(std::string(kCorners) + "# v 9 9 9\n"
                                                        "o ship\ng hull\ns 1\nusemtl steel\n"
                                                        "vp 0.5\nv\t9 9 9\n  v 9 9 9\n"
                                                        "v 1 2 3 1\nvt 0.5 0.5 0\n");
    EXPECT_EQ(mesh.GetVertices().size(), 4u); // plus the one with a fourth coordinate
    EXPECT_EQ(mesh.GetTexCoords().size(), 3u);
}

TEST(Mesh, EntriesWithTooFewValuesKeepTheirNumberWithZerosForTheMissingOnes) {
    // Dropped, they would shift the numbers of every later entry under the faces.
    const CMesh mesh = LoadText("v 1 2\nv \nv 0 0 3\n"
                                "vt 0.5\nvt 0.25 0.75\n"
                                "vn 1\nvn 0 0 1\n"
                                "f 3/2/2 1/1/1 2/2/2\nf 1/1/1 2/1/1\nf\n");
    ASSERT_EQ(mesh.GetFaceCount(), 1) << "a face with too few corners is still dropped";
    EXPECT_EQ(VertexArrayOf(mesh), (std::vector<float>{0, 0, 3, 1, 2, 0, 0, 0, 0}));
    const std::vector<float> normals(mesh.GetNormalArray(), mesh.GetNormalArray() + 9);
    EXPECT_EQ(normals, (std::vector<float>{0, 0, 1, 1, 0, 0, 0, 0, 1}));
    const std::vector<float> texCoords(mesh.GetTexCoordArray(), mesh.GetTexCoordArray() + 6);
    EXPECT_EQ(texCoords, (std::vector<float>{0.25f, 0.75f, 0.5f, 0.0f, 0.25f, 0.75f}));
}

TEST(Mesh, TooLongLinesAreDroppedWholeNotReadInPieces) {
    const std::string padding(260, ' ');
    // Cut after 254 characters, the tail would read as a vertex of its own.
    const CMesh mesh = LoadText("v 1 1 1" + padding + "\nv 7 7 7\n");
    ASSERT_EQ(mesh.GetVertices().size(), 1u);
    EXPECT_EQ(mesh.GetVertices()[0].x, 7.0f);

    std::string longest = "v 5 5 5";
    longest.resize(CMesh::kMaxLineLength, ' ');
    EXPECT_EQ(LoadText(longest + "\r\n").GetVertices().size(), 1u);
    EXPECT_EQ(LoadText(longest + " \n").GetVertices().size(), 0u);
}

TEST(Mesh, CornersWithoutAllThreeIndicesLoseTheirFace) {
    EXPECT_EQ(FacesIn("f 1 2 3\n"), 0);
    EXPECT_EQ(FacesIn("f 1/1 2/1 3/1\n"), 0);
    EXPECT_EQ(FacesIn("f 1//1 2//1 3//1\n"), 0);
    EXPECT_EQ(FacesIn("f 1/1/1 2/1/1 3/1/\n"), 0);
    EXPECT_EQ(FacesIn("f 1/1/1 2/1/1 3\nf 1/1/1 2/1/1 3/1/1\n"), 1);
}

TEST(Mesh, NegativeIndicesCountBackFromTheLatestEntry) {
    const CMesh mesh = LoadText(std::string(kCorners) + "f -3/-2/-1 -2/-1/-1 -1/-1/-1\n");
    ASSERT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_EQ(VertexArrayOf(mesh), (std::vector<float>{1, 2, 2, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(mesh.GetTexCoordArray()[0], 0.25f);
    EXPECT_EQ(FacesIn("f -4/1/1 2/1/1 3/1/1\n"), 0);
}

TEST(Mesh, IndicesOutsideTheListsLoseTheirFace) {
    EXPECT_EQ(FacesIn("f 0/1/1 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f 4/1/1 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f 1/3/1 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f 1/1/2 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f 2147483648/1/1 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f -99999999999999999999/1/1 2/1/1 3/1/1\n"), 0);
    EXPECT_EQ(FacesIn("f x/1/1 2/1/1 3/1/1\n"), 0);
    // A face may name vertices that come later in the file.
    EXPECT_EQ(LoadText("f 1/1/1 2/1/1 3/1/1\n" + std::string(kCorners)).GetFaceCount(), 1);
}

TEST(Mesh, ANulByteDropsOnlyItsLine) {
    std::string text(kCorners);
    text += std::string("v 9 9\0 9\n", 9);
    text += "f 1/1/1 2/1/1 3/1/1\n";
    const CMesh mesh = LoadText(text);
    EXPECT_EQ(mesh.GetVertices().size(), 3u);
    EXPECT_EQ(mesh.GetFaceCount(), 1);
}

// Every enemy holds a copy of its mesh: the copy must read the same memory, and loading
// either one again must leave the other as it was.
TEST(Mesh, ACopySharesTheLoadedDataAndKeepsItWhenEitherLoadsAgain) {
    const CMesh loaded = LoadText(std::string(kCorners) + "f 1/1/1 2/1/1 3/1/1\n");
    CMesh copy = loaded;
    EXPECT_EQ(copy.GetVertexArray(), loaded.GetVertexArray()) << "shared, not copied";
    EXPECT_EQ(&copy.GetFaces(), &loaded.GetFaces());

    std::istringstream twoFaces(std::string(kCorners) +
                                "f 3/1/1 2/1/1 1/1/1\nf 1/1/1 2/1/1 3/1/1\n");
    copy.LoadFrom(twoFaces);
    EXPECT_EQ(copy.GetFaceCount(), 2);
    CMesh emptied = loaded;
    testing::internal::CaptureStdout();
    emptied.Load(nullptr);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(emptied.GetFaceCount(), 0);
    EXPECT_EQ(VertexArrayOf(loaded), (std::vector<float>{1, 2, 2, 0, 1, 0, 0, 0, 1}));
    EXPECT_FLOAT_EQ(loaded.GetRadius(), 3.0f);
}

TEST(Mesh, AMissingFileSaysSoAndLeavesTheMeshEmpty) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("Enemy1.obj");
    CMesh mesh;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(mesh.Load(path.c_str()));
    EXPECT_FALSE(mesh.Load(nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "cant open obj-file: " + path + "\ncant open obj-file: \n");
    EXPECT_EQ(mesh.GetFaceCount(), 0);
    EXPECT_EQ(mesh.GetRadius(), 0.0f);
}

TEST(Mesh, LoadsAFileAndEndsOnAReadError) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("player.obj");
    std::ofstream(path) << kCorners << "f 1/1/1 2/1/1 3/1/1";
    CMesh mesh;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(mesh.Load(path.c_str()));
    EXPECT_EQ(mesh.GetFaceCount(), 1);
    // A directory opens but cannot be read: the loop must end with an empty mesh.
    EXPECT_TRUE(mesh.Load(scratch.GetPath().c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(mesh.GetFaceCount(), 0);
    EXPECT_EQ(mesh.GetVertices().size(), 0u);
}

} // namespace
