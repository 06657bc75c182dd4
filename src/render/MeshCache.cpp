#include "render/MeshCache.h"

#include "render/Mesh.h"

#include <map>
#include <sys/stat.h>
#include <tuple>

namespace {

using FileIdentity = std::tuple<dev_t, ino_t, off_t, time_t, long>;

std::map<FileIdentity, CMesh>& KeptMeshes() {
    static std::map<FileIdentity, CMesh> meshes;
    return meshes;
}

bool Identify(const char* path, FileIdentity& identity) {
    struct stat status {};
    if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    identity = {status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec,
                status.st_mtim.tv_nsec};
    return true;
}

} // namespace

bool CMeshCache::Load(const char* path, CMesh& mesh) {
    FileIdentity identity;
    if (!Identify(path, identity)) {
        return mesh.Load(path); // reports what is wrong with it
    }
    auto& kept = KeptMeshes();
    const auto found = kept.find(identity);
    if (found != kept.end()) {
        mesh = found->second;
        return true;
    }
    if (!mesh.Load(path)) {
        return false;
    }
    kept.emplace(identity, mesh);
    return true;
}

void CMeshCache::Clear() {
    KeptMeshes().clear();
}
