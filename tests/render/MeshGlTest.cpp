#include "GlFixture.h"

#include "render/Mesh.h"

#include <sstream>
#include <vector>

namespace {

// Two triangles with different normals and texture coordinates; the second face refers back.
const char* const kTwoTriangles = "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0.25\n"
                                  "vt 0 0\nvt 1 0\nvt 1 1\nvt 0.2 0.9\n"
                                  "vn 0 0 1\nvn 0.6 0 0.8\n"
                                  "f 1/1/1 2/2/1 3/3/2\n"
                                  "f -4/-4/-1 -2/-2/-2 -1/-1/-1\n";

class MeshGl : public GlFixture {
protected:
    // Everything OpenGL would rasterise, as window position, lit colour and texture coordinate
    // of every corner. Lighting is on so that the normals show in the colours.
    std::vector<GLfloat> Feedback(int (CMesh::*draw)() const, const CMesh& mesh) {
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        const GLfloat direction[4] = {0.3f, 0.2f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        std::vector<GLfloat> buffer(4096);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        EXPECT_EQ((mesh.*draw)(), 1);
        buffer.resize(static_cast<std::size_t>(glRenderMode(GL_RENDER)));
        return buffer;
    }

    static CMesh Load(const char* text) {
        std::istringstream in(text);
        CMesh mesh;
        mesh.LoadFrom(in);
        return mesh;
    }
};

TEST_F(MeshGl, BothDrawPathsGiveTheSameTriangles) {
    const CMesh mesh = Load(kTwoTriangles);
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    const std::vector<GLfloat> immediate = Feedback(&CMesh::DrawImmediate, mesh);
    const std::vector<GLfloat> arrays = Feedback(&CMesh::DrawArrays, mesh);
    // Per triangle: a token, the corner count, then 3 x (3 position + 4 colour + 4 texture).
    ASSERT_EQ(immediate.size(), 2u * (2 + 3 * 11));
    EXPECT_EQ(immediate, arrays);
    EXPECT_EQ(immediate[0], GL_POLYGON_TOKEN);
    EXPECT_EQ(immediate[1], 3.0f);
    EXPECT_FLOAT_EQ(immediate[2 + 7], 0.0f);            // first corner's s
    EXPECT_FLOAT_EQ(immediate[2 + 11 + 7], 1.0f);       // second corner's s
    EXPECT_NE(immediate[2 + 3], immediate[2 + 22 + 3]); // the normals light the corners apart
}

TEST_F(MeshGl, DrawArraysSwitchesItsClientArraysOffAgain) {
    const CMesh mesh = Load(kTwoTriangles);
    EXPECT_EQ(mesh.DrawArrays(), 1);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
}

TEST_F(MeshGl, AnEmptyMeshDrawsNothing) {
    const CMesh mesh = Load("v 1 1 1\nvt 0 0\nvn 0 0 1\nf 1 1 1\n");
    EXPECT_TRUE(Feedback(&CMesh::DrawImmediate, mesh).empty());
    EXPECT_TRUE(Feedback(&CMesh::DrawArrays, mesh).empty());
}

} // namespace
