// Render resources: reading and uploading the whole texture table, loading a mesh of 5,000
// triangles, and drawing it from vertex arrays against immediate mode. The OpenGL ones need an X
// display (scripts/with-display.sh) and are skipped without one. They work on generated files in
// a scratch directory.
#include "TgaFile.h"
#include "render/Mesh.h"
#include "render/TextureManager.h"

#include <GL/glut.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTextureSide = 256;
constexpr int kMeshRings = 50; // 50 x 50 quads: 5,000 triangles

// A 32-bit TGA of kTextureSide squared with a pattern that differs per texture number.
void WriteTexture(const char* path, int number) {
    std::vector<unsigned char> texels;
    for (int y = 0; y < kTextureSide; ++y) {
        for (int x = 0; x < kTextureSide; ++x) {
            texels.insert(texels.end(), {static_cast<unsigned char>(y * number),
                                         static_cast<unsigned char>(x + number),
                                         static_cast<unsigned char>(x ^ y), 255});
        }
    }
    const std::vector<unsigned char> tga = EncodeTga(kTextureSide, kTextureSide, true, texels);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(tga.data()), static_cast<std::streamsize>(tga.size()));
}

// A sphere of radius 1 as a latitude-longitude grid, every corner with its own vt and vn.
void WriteSphere(const char* path) {
    std::ofstream out(path);
    const double pi = std::acos(-1.0);
    for (int ring = 0; ring <= kMeshRings; ++ring) {
        for (int step = 0; step <= kMeshRings; ++step) {
            const double theta = pi * ring / kMeshRings;
            const double phi = 2.0 * pi * step / kMeshRings;
            const double x = std::sin(theta) * std::cos(phi);
            const double y = std::cos(theta);
            const double z = std::sin(theta) * std::sin(phi);
            out << "v " << x << ' ' << y << ' ' << z << "\nvn " << x << ' ' << y << ' ' << z
                << "\nvt " << static_cast<double>(step) / kMeshRings << ' '
                << static_cast<double>(ring) / kMeshRings << '\n';
        }
    }
    const auto corner = [&out](int ring, int step) {
        const int index = ring * (kMeshRings + 1) + step + 1;
        out << ' ' << index << '/' << index << '/' << index;
    };
    for (int ring = 0; ring < kMeshRings; ++ring) {
        for (int step = 0; step < kMeshRings; ++step) {
            out << 'f';
            corner(ring, step);
            corner(ring + 1, step);
            corner(ring + 1, step + 1);
            out << "\nf";
            corner(ring, step);
            corner(ring + 1, step + 1);
            corner(ring, step + 1);
            out << '\n';
        }
    }
}

// The 43 texture files under texture/ and the sphere, made once for the whole run in a scratch
// directory that goes when the program ends.
class CBenchData {
public:
    CBenchData() {
        std::string pattern = (fs::temp_directory_path() / "zelkora-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        directory = pattern;
        fs::create_directory(directory / "texture");
        for (int number = 1; number <= CTextureManager::kTableSize; ++number) {
            WriteTexture((directory / CTextureManager::GetTablePath(number)).c_str(), number);
        }
        meshPath = (directory / "sphere.obj").string();
        WriteSphere(meshPath.c_str());
    }
    ~CBenchData() {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }

    fs::path directory;
    std::string meshPath;
};

const CBenchData& Data() {
    static const CBenchData data;
    return data;
}

// One freeglut window for every drawing benchmark; false without a display.
bool HaveGlContext() {
    static const bool made = [] {
        if (std::getenv("DISPLAY") == nullptr) {
            return false;
        }
        int argumentCount = 0;
        glutInit(&argumentCount, nullptr);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(800, 600);
        return glutCreateWindow("Zelkora resource benchmarks") != 0;
    }();
    return made;
}

bool SkipWithoutGl(benchmark::State& state) {
    if (!HaveGlContext()) {
        state.SkipWithError("needs an X display: run through scripts/with-display.sh");
        return true;
    }
    return false;
}

void BM_ReadTga(benchmark::State& state) {
    for (auto _ : state) {
        CTgaImage image;
        benchmark::DoNotOptimize(
            image.Read((Data().directory / CTextureManager::GetTablePath(1)).c_str()));
    }
}
BENCHMARK(BM_ReadTga)->Unit(benchmark::kMicrosecond);

// Argument: 0 single level, 1 mipmaps. The registry reloads in place, as the F5 key does.
void BM_LoadAllTextures(benchmark::State& state) {
    if (SkipWithoutGl(state)) {
        return;
    }
    // The table's paths are relative to the working directory, as in the game.
    const fs::path previous = fs::current_path();
    fs::current_path(Data().directory);
    CTextureManager registry;
    for (auto _ : state) {
        registry.LoadAll(state.range(0) != 0);
        glFinish();
    }
    registry.DeleteAll();
    fs::current_path(previous);
}
BENCHMARK(BM_LoadAllTextures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoadMesh(benchmark::State& state) {
    for (auto _ : state) {
        CMesh mesh;
        mesh.Load(Data().meshPath.c_str());
        benchmark::DoNotOptimize(mesh.GetRadius());
    }
}
BENCHMARK(BM_LoadMesh)->Unit(benchmark::kMillisecond);

// Argument: 0 immediate mode, 1 vertex arrays. Each draw is finished before the next.
void BM_DrawMesh(benchmark::State& state) {
    if (SkipWithoutGl(state)) {
        return;
    }
    CMesh mesh;
    mesh.Load(Data().meshPath.c_str());
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -1.5, 1.5, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (state.range(0) != 0) {
            mesh.DrawArrays();
        } else {
            mesh.DrawImmediate();
        }
        glFinish();
    }
    state.counters["triangles"] = mesh.GetFaceCount();
}
BENCHMARK(BM_DrawMesh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
