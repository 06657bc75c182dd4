#include "app/CallerPath.h"

#include <cstdlib>
#include <sys/stat.h>

std::string CCallerPath::Resolve(const std::string& path) {
    const char* caller = std::getenv("ZELKORA_CALLER_DIRECTORY");
    if (path.empty() || path[0] == '/' || caller == nullptr || caller[0] == '\0') {
        return path;
    }
    return std::string(caller) + "/" + path;
}

bool CCallerPath::IsFile(const std::string& path) {
    struct stat status {};
    return !path.empty() && stat(Resolve(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
