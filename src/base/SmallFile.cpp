#include "base/SmallFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CSmallFile::ERead CSmallFile::Read(const std::string& path, std::size_t largest, std::string& text,
                                   std::string& error) {
    // Non-blocking so that a FIFO put in the file's place cannot hang the game at start.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ERead::Missing;
        }
        error = std::strerror(errno);
        return ERead::Failed;
    }
    struct stat status {};
    ERead result = ERead::Read;
    if (fstat(descriptor, &status) != 0) {
        error = std::strerror(errno);
        result = ERead::Failed;
    } else if (!S_ISREG(status.st_mode)) {
        error = "not a regular file";
        result = ERead::Failed;
    }
    char buffer[4096];
    while (result == ERead::Read) {
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            error = std::strerror(errno);
            result = ERead::Failed;
        } else if (count == 0) {
            break;
        } else if (text.size() + static_cast<std::size_t>(count) > largest) {
            result = ERead::TooLarge;
        } else {
            text.append(buffer, static_cast<std::size_t>(count));
        }
    }
    close(descriptor);
    return result;
}
