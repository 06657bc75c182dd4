#include "render/MeshCache.h"

#include "ToneFiles.h"
#include "render/Mesh.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const char* const kTriangle = "v 1 0 0\nv 0 1 0\nv 0 0 1\nvt 0 0\nvn 0 0 1\n"
                              "f 1/1/1 2/1/1 3/1/1\n";
const char* const kTwoTriangles = "v 2 0 0\nv 0 2 0\nv 0 0 2\nvt 0 0\nvn 0 0 1\n"
                                  "f 1/1/1 2/1/1 3/1/1\nf 3/1/1 2/1/1 1/1/1\n";

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(MeshCache, AFileIsParsedOnceAndReadAfreshOnlyWhenItChanged) {
    CMeshCache::Clear();
    CScratchDirectory scratch;
    const std::string path = scratch.Join("ship.obj");
    Write(path, kTriangle);
    CMesh first;
    ASSERT_TRUE(CMeshCache::Load(path.c_str(), first));
    EXPECT_EQ(first.GetFaceCount(), 1);

    // New bytes of the same length under the old time stamp: the kept mesh is what comes back.
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    std::string sameLength = kTriangle;
    sameLength[2] = '3';
    Write(path, sameLength);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    CMesh second;
    ASSERT_TRUE(CMeshCache::Load(path.c_str(), second));
    EXPECT_EQ(second.GetRadius(), first.GetRadius()) << "not read again";
    EXPECT_EQ(second.GetVertices().size(), first.GetVertices().size());
    EXPECT_EQ(second.GetVertexArray(), first.GetVertexArray()) << "shared, not copied";

    Write(path, kTwoTriangles); // another size: a changed file
    CMesh changed;
    ASSERT_TRUE(CMeshCache::Load(path.c_str(), changed));
    EXPECT_EQ(changed.GetFaceCount(), 2);
    EXPECT_EQ(changed.GetRadius(), 2.0f);
    CMeshCache::Clear();
}

TEST(MeshCache, AFileThatCannotBeOpenedIsReportedAtEveryLoad) {
    CMeshCache::Clear();
    CScratchDirectory scratch;
    const std::string missing = scratch.Join("missing.obj");
    for (int load = 0; load < 2; ++load) {
        CMesh mesh;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(CMeshCache::Load(missing.c_str(), mesh));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "cant open obj-file: " + missing + "\n");
        EXPECT_EQ(mesh.GetFaceCount(), 0);
    }
}

} // namespace
