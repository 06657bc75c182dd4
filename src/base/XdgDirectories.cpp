#include "base/XdgDirectories.h"

#include <cstdlib>

namespace {
// "/data/" and "/data" name the same directory; one slash before our folder keeps paths tidy in
// messages. The root itself stays "/", which the join below turns into "/zelkora".
std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path == "/" ? "" : path;
}
} // namespace

std::string CXdgDirectories::DataDirectory() {
    return Resolve("XDG_DATA_HOME", "/.local/share");
}

std::string CXdgDirectories::ConfigDirectory() {
    return Resolve("XDG_CONFIG_HOME", "/.config");
}

std::string CXdgDirectories::ScratchDirectory() {
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* directory = std::getenv(variable);
        if (IsAbsolute(directory)) {
            return directory;
        }
    }
    return "/tmp";
}

std::string CXdgDirectories::Resolve(const char* variable, const char* homeDefault) {
    const char* base = std::getenv(variable);
    if (IsAbsolute(base)) {
        return WithoutTrailingSlashes(base) + "/zelkora";
    }
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) {
        return WithoutTrailingSlashes(home) + homeDefault + "/zelkora";
    }
    return "";
}

bool CXdgDirectories::IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}
