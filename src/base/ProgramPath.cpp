#include "base/ProgramPath.h"

#include <climits>
#include <unistd.h>

std::string CProgramPath::Directory() {
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) {
        return "";
    }
    const std::string path(program, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}
