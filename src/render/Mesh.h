#pragma once

#include "world/Vector3.h"

#include <istream>
#include <memory>
#include <vector>

// A triangle mesh read from a Wavefront OBJ subset: "v x y z", "vt u v", "vn x y z" and
// "f v/t/n v/t/n v/t/n" (further corners ignored, so a quad gives its first triangle). Anything
// else is skipped without a message, and so is every line or face the mesh cannot use (too long,
// a NUL byte, a face with too few corners, a corner without all three indices, an index outside
// the lists). A "v", "vt" or "vn" line with too few values keeps its place, the missing ones 0.
// Negative indices count back from the latest entry, as OBJ defines them. Loaded once, then
// drawn every frame; what loading made never changes, so a copy of a mesh shares it with the
// original (the densest world has a hundred thousand enemies, each with its own mesh), and
// loading a mesh again leaves its copies as they were.
class CMesh {
public:
    struct STexCoord {
        float u;
        float v;
    };
    // All indices 0-based and inside the lists once loaded.
    struct STriangle {
        int vertex[3];
        int texCoord[3];
        int normal[3];
    };
    static constexpr int kMaxLineLength = 254; // characters without the line end

    // Reads the file: false (with "cant open obj-file: <path>") when it cannot be opened, and
    // the mesh is then empty; true otherwise, whatever the file held.
    bool Load(const char* path);
    // The same from any stream, which is read up to its end or its first read error.
    void LoadFrom(std::istream& in);

    // Both draw the same triangles in the current transformation, texture and colour.
    int DrawImmediate() const; // one glBegin(GL_TRIANGLES) block; returns 1
    int DrawArrays() const;    // one glDrawArrays from the flat arrays; returns 1

    // The largest distance of a used vertex from the origin.
    float GetRadius() const { return data->radius; }
    int GetFaceCount() const { return static_cast<int>(data->faces.size()); }

    // The lists as read and the flat arrays built from them.
    const std::vector<CVector3>& GetVertices() const { return data->vertices; }
    const std::vector<STexCoord>& GetTexCoords() const { return data->texCoords; }
    const std::vector<CVector3>& GetNormals() const { return data->normals; }
    const std::vector<STriangle>& GetFaces() const { return data->faces; }
    const float* GetVertexArray() const { return data->vertexArray.data(); }     // 9 floats a face
    const float* GetNormalArray() const { return data->normalArray.data(); }     // 9 floats a face
    const float* GetTexCoordArray() const { return data->texCoordArray.data(); } // 6 floats a face

private:
    // Everything loading makes; built once, then only read.
    struct SData {
        void ReadLine(char* line);
        void ReadFace(char* arguments);
        void DropUnresolvedFaces();
        void BuildArrays();
        void ComputeRadius();

        std::vector<CVector3> vertices;
        std::vector<STexCoord> texCoords;
        std::vector<CVector3> normals;
        std::vector<STriangle> faces;
        float radius = 0.0f;
        std::vector<float> vertexArray;
        std::vector<float> normalArray;
        std::vector<float> texCoordArray;
    };
    static const std::shared_ptr<const SData>& Empty(); // one for every mesh not yet loaded

    std::shared_ptr<const SData> data = Empty();
};
