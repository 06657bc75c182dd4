#include "settings/PlayerSettings.h"

#include "base/SettingsFile.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kLongestLine = 1000; // longer is no line of settings.txt

// In the file's order; the first two are volumes, the rest yes-or-no choices.
const char* const kSettingNames[] = {"music-volume", "effects-volume", "full-screen",
                                     "automatic-resolution", "frame-rate"};
constexpr std::size_t kVolumeCount = 2;
constexpr std::size_t kSettingCount = std::size(kSettingNames);

const char* const kHeader = "# Zelkora's settings, as the menu keeps them; lines and comments of "
                            "your own stay.\n"
                            "# music-volume and effects-volume: 0 (silent) to 10 (full); "
                            "full-screen,\n"
                            "# automatic-resolution and frame-rate: yes or no.\n";

std::string YesOrNo(const std::optional<bool>& choice) {
    if (!choice.has_value()) {
        return ""; // no line: zelkora.ini and the defaults decide
    }
    return *choice ? "yes" : "no";
}

int ClampedVolume(int volume) {
    return std::clamp(volume, 0, CPlayerSettings::kLoudest);
}

} // namespace

CPlayerSettings CPlayerSettings::Load(const std::string& path, std::vector<std::string>& problems) {
    std::string text;
    if (!CSettingsFile::Read(path, kLargestFile, "no settings.txt", "the default settings apply",
                             text, problems)) {
        return CPlayerSettings();
    }
    return Parse(text, path, problems);
}

CPlayerSettings CPlayerSettings::Parse(const std::string& text, const std::string& path,
                                       std::vector<std::string>& problems) {
    CPlayerSettings settings;
    std::vector<int> setOn(kSettingCount, 0); // the line that set each, to name a repeat
    const auto readLine = [&settings, &setOn](int number, const std::string& line,
                                              std::string& problem) {
        return settings.ReadLine(line, number, setOn, problem);
    };
    CSettingsFile::ReadLines(text, path, kLongestLine, readLine, problems);
    return settings;
}

bool CPlayerSettings::ReadLine(const std::string& line, int lineNumber, std::vector<int>& setOn,
                               std::string& problem) {
    std::vector<std::string> words;
    if (!CSettingsFile::LineWords(line, words, problem)) {
        return false;
    }
    if (words.empty()) {
        return true; // blank, or a comment
    }
    const std::string& name = words[0];
    const auto* found = std::find(std::begin(kSettingNames), std::end(kSettingNames), name);
    if (found == std::end(kSettingNames)) {
        problem = "unknown setting \"" + name +
                  "\" (music-volume, effects-volume, full-screen, automatic-resolution or "
                  "frame-rate)";
        return false;
    }
    if (words.size() != 2) {
        problem = name + (words.size() == 1 ? " needs a value" : " takes one value");
        return false;
    }
    const std::size_t index = static_cast<std::size_t>(found - std::begin(kSettingNames));
    if (setOn[index] != 0) {
        problem = name + " is set on line " + std::to_string(setOn[index]) + " already";
        return false;
    }
    if (!ReadValue(index, words[1])) {
        problem =
            name + (index < kVolumeCount ? " is a whole number from 0 to 10" : " is yes or no");
        return false;
    }
    setOn[index] = lineNumber;
    return true;
}

bool CPlayerSettings::ReadValue(std::size_t index, const std::string& word) {
    if (index < kVolumeCount) {
        const bool number = word.size() <= 2 && std::all_of(word.begin(), word.end(), [](char c) {
                                return std::isdigit(static_cast<unsigned char>(c)) != 0;
                            });
        if (!number || std::stoi(word) > kLoudest) {
            return false;
        }
        (index == 0 ? musicVolume : effectsVolume) = std::stoi(word);
        return true;
    }
    if (word != "yes" && word != "no") {
        return false;
    }
    std::optional<bool>* const choices[] = {&fullScreen, &automaticResolution, &frameRateShown};
    *choices[index - kVolumeCount] = word == "yes";
    return true;
}

bool CPlayerSettings::Save(const std::string& path, std::string& problem) const {
    const std::string values[] = {std::to_string(musicVolume), std::to_string(effectsVolume),
                                  YesOrNo(fullScreen), YesOrNo(automaticResolution),
                                  YesOrNo(frameRateShown)};
    std::vector<CSettingsFile::SSetting> settings;
    for (std::size_t index = 0; index < kSettingCount; ++index) {
        settings.push_back({kSettingNames[index], values[index]});
    }
    return CSettingsFile::Save(path, {kLargestFile, kHeader, false}, settings, problem);
}

void CPlayerSettings::SetMusicVolume(int volume) {
    musicVolume = ClampedVolume(volume);
}

void CPlayerSettings::SetEffectsVolume(int volume) {
    effectsVolume = ClampedVolume(volume);
}
