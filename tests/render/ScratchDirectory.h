#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh directory under /tmp for one test, removed with everything in it at the end.
class CScratchDirectory {
public:
    CScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelkora-render-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    ~CScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::string File(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};
