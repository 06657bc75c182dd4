#include "base/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// rename(2) that fails with EEXIST rather than replace newName. glibc 2.28 and later have the
// wrapper (and define RENAME_NOREPLACE with it); older ones reach the kernel directly.
int RenameNoReplace(const char* path, const char* newName) {
#ifdef RENAME_NOREPLACE
    return renameat2(AT_FDCWD, path, AT_FDCWD, newName, RENAME_NOREPLACE);
#else
    constexpr unsigned kRenameNoReplace = 1U << 0; // as <linux/fs.h> has it
    return static_cast<int>(
        syscall(SYS_renameat2, AT_FDCWD, path, AT_FDCWD, newName, kRenameNoReplace));
#endif
}

std::string ErrorText(int number) {
    return std::strerror(number);
}

std::string DirectoryOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// mkdir of one level; an existing directory (made by us or anyone else just now) is success.
bool MakeOneDirectory(const std::string& path, std::string& error) {
    if (mkdir(path.c_str(), 0755) == 0) {
        return true;
    }
    const int reason = errno; // before stat can change it
    if (IsDirectory(path)) {
        return true;
    }
    error = ErrorText(reason == EEXIST ? ENOTDIR : reason);
    return false;
}
} // namespace

bool CAtomicFile::MakeDirectories(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = ErrorText(ENOENT);
        return false;
    }
    // Every prefix ending before a slash, then the whole path: "a/b/c" makes a, a/b, a/b/c.
    for (std::string::size_type slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (path[slash - 1] != '/' && !MakeOneDirectory(path.substr(0, slash), error)) {
            return false;
        }
    }
    return MakeOneDirectory(path, error);
}

bool CAtomicFile::Replace(const std::string& linkOrPath, const std::string& bytes,
                          std::string& error, mode_t mode) {
    const std::string path = FollowLinks(linkOrPath, error);
    if (path.empty()) {
        return false;
    }
    const std::string temporary = WriteTemporary(path, bytes, error, mode);
    if (temporary.empty()) {
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        error = ErrorText(errno);
        unlink(temporary.c_str());
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}

CAtomicFile::EResult CAtomicFile::CreateNew(const std::string& path, const std::string& bytes,
                                            std::string& error, mode_t mode) {
    const std::string temporary = WriteTemporary(path, bytes, error, mode);
    if (temporary.empty()) {
        return EResult::Failed;
    }
    // link, unlike rename, fails when the name is taken: a file saved by anyone in between
    // stays as it is.
    const bool linked = LinkNew(temporary, path);
    const int linkError = errno;
    unlink(temporary.c_str());
    if (!linked) {
        error = ErrorText(linkError);
        return linkError == EEXIST ? EResult::Exists : EResult::Failed;
    }
    SyncDirectoryOf(path);
    return EResult::Written;
}

bool CAtomicFile::SetAside(const std::string& linkOrPath, std::string& newPath,
                           std::string& error) {
    const std::string path = FollowLinks(linkOrPath, error);
    if (path.empty()) {
        return false;
    }
    for (int number = 0; number <= kMaximumSetAsideNumber; ++number) {
        const std::string candidate =
            path + ".bad" + (number == 0 ? std::string() : "." + std::to_string(number));
        if (MoveToNew(path, candidate)) {
            newPath = candidate;
            return true;
        }
        if (errno != EEXIST) {
            error = ErrorText(errno);
            return false;
        }
    }
    error = ErrorText(EEXIST);
    return false;
}

std::string CAtomicFile::FollowLinks(const std::string& path, std::string& error) {
    std::string current = path;
    for (int links = 0; links <= kMaximumLinks; ++links) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current; // a missing file is written where the last link points
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) {
            error = ErrorText(length < 0 ? errno : length == 0 ? ENOENT : ENAMETOOLONG);
            return "";
        }
        target.resize(static_cast<size_t>(length));
        // A relative link is read from the link's own directory.
        current = target.front() == '/' ? target : DirectoryOf(current) + "/" + target;
    }
    error = ErrorText(ELOOP);
    return "";
}

bool CAtomicFile::MoveToNew(const std::string& path, const std::string& newName) {
    // One step: between a link and an unlink, another game could rename a fresh file into
    // path, and the unlink would remove that instead.
    if (RenameNoReplace(path.c_str(), newName.c_str()) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A kernel or file system without the no-replace rename: a second name, then the old one
    // goes.
    if (!LinkNew(path, newName)) {
        return false;
    }
    if (unlink(path.c_str()) != 0) {
        // Both names would be left; take back the new one so the state is as before.
        const int reason = errno;
        unlink(newName.c_str());
        errno = reason;
        return false;
    }
    return true;
}

std::string CAtomicFile::WriteTemporary(const std::string& path, const std::string& bytes,
                                        std::string& error, mode_t mode) {
    std::string temporary = path + ".tmp-XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        error = ErrorText(errno);
        return "";
    }
    // mkstemp makes the file private (0600); records and screenshots are ordinary files.
    const bool written =
        fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
    const int writeError = errno;
    const bool closed = close(descriptor) == 0;
    if (!written || !closed) {
        error = ErrorText(written ? errno : writeError);
        unlink(temporary.c_str());
        return "";
    }
    return temporary;
}

bool CAtomicFile::WriteAll(int descriptor, const std::string& bytes) {
    std::string::size_type done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            if (count == 0) {
                errno = EIO; // no progress and no reason: never loop on it
            }
            return false;
        }
        done += static_cast<std::string::size_type>(count);
    }
    return true;
}

bool CAtomicFile::LinkNew(const std::string& path, const std::string& newName) {
    return link(path.c_str(), newName.c_str()) == 0;
}

void CAtomicFile::SyncDirectoryOf(const std::string& path) {
    // So the new name survives a power cut too. The file itself is already safe, so a failure
    // here is not worth a message.
    const int descriptor = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
}
