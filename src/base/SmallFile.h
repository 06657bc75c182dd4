#pragma once

#include <cstddef>
#include <string>

// Reads a small file of the player's (records, key bindings) whole, without ever hanging or
// swallowing something huge: a FIFO or a device in its place is refused, not waited on.
class CSmallFile {
public:
    enum class ERead { Missing, Read, TooLarge, Failed };

    // Missing: no such file (or a directory on its path is none). TooLarge: more than largest
    // bytes; text then holds part of it. Failed: error says why.
    static ERead Read(const std::string& path, std::size_t largest, std::string& text,
                      std::string& error);
};
