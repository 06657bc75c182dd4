#pragma once

// What must hold for any bytes read as settings.txt: every problem is one line of printable text
// naming the file, there are never more than the shown ones and a count, and the volumes stay in
// their range.
#include "app/PlayerSettings.h"
#include "base/SettingsFile.h"

#include <string>
#include <vector>

inline bool PlayerSettingsParseIsSound(const std::string& text) {
    const std::string path = "settings.txt";
    std::vector<std::string> problems;
    const CPlayerSettings settings = CPlayerSettings::Parse(text, path, problems);
    for (const int volume : {settings.GetMusicVolume(), settings.GetEffectsVolume()}) {
        if (volume < 0 || volume > CPlayerSettings::kLoudest) {
            return false;
        }
    }
    if (problems.size() > static_cast<std::size_t>(CSettingsFile::kProblemsShown) + 1) {
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
