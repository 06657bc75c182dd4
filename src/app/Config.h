#pragma once

#include <istream>

// The three numbers of zelkora.ini. Each keeps its default unless the file supplies it.
class CConfig {
public:
    int difficulty = 3;
    int tunnelLength = 500; // as written: 1, 2 and 3 are codes, see GetTunnelNodeCount
    int displayMode = 1;    // 1: 800 x 600 window; anything else: full screen

    // Reads difficulty, tunnel length and display mode in that order; the first value that is
    // not a 32-bit decimal integer stops the reading, leaving it and the rest at their defaults.
    void Read(std::istream& in);
    void Load(const char* path); // a missing or unreadable file changes nothing, silently

    int GetTunnelNodeCount() const; // 1, 2, 3 stand for 500, 1000, 1500; others are the count
};
