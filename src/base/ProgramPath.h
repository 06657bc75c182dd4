#pragma once

#include <string>

// Where the running program lies, for files installed or built beside it (the game's data, the
// game that checks a board's runs).
class CProgramPath {
public:
    static std::string Directory(); // without a trailing '/'; "" when the system cannot say
};
