#pragma once

// What must hold for any bytes read as board.txt: every problem is one line of printable text
// naming the file, and a board taken has a URL the game's check takes and a name the board's
// rules take.
#include "base/PlayerName.h"
#include "online/BoardSettings.h"

#include <string>
#include <vector>

inline bool BoardSettingsParseIsSound(const std::string& text) {
    const std::string path = "board.txt";
    std::vector<std::string> problems;
    const CBoardSettings settings = CBoardSettings::Parse(text, path, problems);
    std::string problem;
    if ((settings.IsSet() && !CBoardSettings::CheckUrl(settings.GetUrl(), problem)) ||
        (!settings.GetName().empty() && !CPlayerName::IsValid(settings.GetName(), problem))) {
        return false;
    }
    for (const std::string& line : problems) {
        if (line.compare(0, path.size() + 1, path + ":") != 0) {
            return false;
        }
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                return false;
            }
        }
    }
    return true;
}
