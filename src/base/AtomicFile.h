#pragma once

#include <string>
#include <sys/types.h>

// Files the game writes for itself (records, screenshots), written so that a crash, a full disk
// or a second game running at the same moment never leaves a half-written or lost file: the
// bytes go to a temporary file in the target's directory, reach the disk, and only then take
// the target's name. Every failure gives false and the reason as strerror text; nothing prints.
class CAtomicFile {
public:
    enum class EResult {
        Written, // the file is in place with all bytes
        Exists,  // the name was taken; nothing was written (CreateNew only)
        Failed   // see the error text; nothing was left behind
    };

    // Like mkdir -p, mode 0755 (less the umask). True when the path already is a directory.
    static bool MakeDirectories(const std::string& path, std::string& error);

    // Puts bytes under path, over any file of that name. On failure the old file is untouched.
    // When path is a symbolic link (players keep their dotfiles in a repository), the file the
    // links end in is replaced, in its own directory, and the links stay. mode: as for CreateNew.
    static bool Replace(const std::string& path, const std::string& bytes, std::string& error,
                        mode_t mode = 0644);
    // The same, but never over an existing file: Exists when the name is taken. mode: 0600 for
    // a secret, which is then never readable by others, not even for a moment.
    static EResult CreateNew(const std::string& path, const std::string& bytes, std::string& error,
                             mode_t mode = 0644);

    // Renames a damaged file to path.bad, or path.bad.1, path.bad.2, ... (the first free name;
    // no file is ever overwritten) and gives the new name in newPath. The move is one rename, so
    // a file another game renames into path meanwhile is never the one that goes. Through a
    // symbolic link, the file it ends in goes aside and the link stays for the next Replace.
    static bool SetAside(const std::string& path, std::string& newPath, std::string& error);

    static constexpr int kMaximumSetAsideNumber = 999; // path.bad.999 is the last name tried
    static constexpr int kMaximumLinks = 40; // as the kernel allows in one path; then ELOOP

private:
    // The name a chain of symbolic links at path ends in (path itself when it is no link, or
    // does not exist yet); "" (and error) for a loop or an unreadable link.
    static std::string FollowLinks(const std::string& path, std::string& error);
    // A temporary file beside path holding all bytes, synced; "" (and error) on failure.
    static std::string WriteTemporary(const std::string& path, const std::string& bytes,
                                      std::string& error, mode_t mode = 0644);
    static bool WriteAll(int descriptor, const std::string& bytes); // errno set on failure
    // Gives the existing file path a second name; false with errno (EEXIST when taken).
    static bool LinkNew(const std::string& path, const std::string& newName);
    // Renames path to newName unless newName is taken; false with errno (EEXIST when taken).
    // Where the file system has no such rename, a link and an unlink do it.
    static bool MoveToNew(const std::string& path, const std::string& newName);
    static void SyncDirectoryOf(const std::string& path);
};
