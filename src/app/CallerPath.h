#pragma once

#include <string>

// A file the player names on the command line, read from where the player was: the launcher and
// play.sh change to the game's own directory before it starts, and pass on the directory they
// were started in as ZELKORA_CALLER_DIRECTORY.
class CCallerPath {
public:
    // The path itself when it is absolute or empty, or when no directory was passed on; else the
    // path under that directory.
    static std::string Resolve(const std::string& path);

    // Whether the path, resolved as above, names a regular file (after symbolic links).
    static bool IsFile(const std::string& path);
};
