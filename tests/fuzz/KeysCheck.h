#pragma once

// What must hold for any bytes read as keys.txt: every problem is one line of printable text
// naming the file, there are never more than the shown ones and a count, and ESC and q still
// quit (they stay unbound).
#include "settings/KeyBindings.h"

#include <string>
#include <vector>

inline bool KeysParseIsSound(const std::string& text) {
    const std::string path = "keys.txt";
    std::vector<std::string> problems;
    const CKeyBindings keys = CKeyBindings::Parse(text, path, problems);
    if (problems.size() > static_cast<std::size_t>(CKeyBindings::kProblemsShown) + 1 ||
        keys.ForKey(27) != CKeyBindings::ECommand::None ||
        keys.ForKey('q') != CKeyBindings::ECommand::None) {
        return false;
    }
    for (const std::string& problem : problems) {
        if (problem.compare(0, path.size() + 1, path + ":") != 0) {
            return false;
        }
        for (const char c : problem) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                return false;
            }
        }
    }
    return true;
}
