// libFuzzer target: any bytes as an OBJ file. Loading must end, stay inside every list, and
// leave flat arrays that match the faces it kept, and a radius that is its farthest used vertex.
#include "MeshRadiusCheck.h"
#include "render/Mesh.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {
// Reading every float of the flat arrays makes the sanitizer check their whole extent.
volatile float sink;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CMesh mesh;
    mesh.LoadFrom(in);
    const int faceCount = mesh.GetFaceCount();
    for (int i = 0; i < faceCount * 9; ++i) {
        sink = mesh.GetVertexArray()[i];
        sink = mesh.GetNormalArray()[i];
    }
    for (int i = 0; i < faceCount * 6; ++i) {
        sink = mesh.GetTexCoordArray()[i];
    }
    if (!RadiusIsTheFarthestUsedVertex(mesh)) {
        __builtin_trap();
    }
    return 0;
}
