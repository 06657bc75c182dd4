#pragma once

#include "game/GameSounds.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What the player chose in the game's menu: settings.txt in the player's config directory, one
// setting a line with '#' comments and blank lines:
//   music-volume 7            0 (silent) to 10 (full)
//   effects-volume 10         every other sound, the same way
//   full-screen yes           yes or no
//   automatic-resolution no   yes or no
//   frame-rate yes            the frame rate shown: yes or no
// A bad line is named and ignored; the game plays either way. A display choice the file does
// not make is left to zelkora.ini and the game's defaults.
class CPlayerSettings {
public:
    static constexpr int kLoudest = CGameSounds::kLoudest; // volumes run 0 (silent) to 10 (full)
    // A file larger than this is no settings.txt: it is not read.
    static constexpr long kLargestFile = 16 * 1024;

    // The file's settings over the defaults. A missing file is no problem; any other is one
    // line "path: what" or "path:line: what" on problems.
    static CPlayerSettings Load(const std::string& path, std::vector<std::string>& problems);
    static CPlayerSettings Parse(const std::string& text, const std::string& path,
                                 std::vector<std::string>& problems);
    // Writes every setting made into the file, keeping its other lines and comments (see
    // CSettingsFile::Save). False with one line; true with problem empty, or saying where a
    // file too large to read was moved.
    bool Save(const std::string& path, std::string& problem) const;

    int GetMusicVolume() const { return musicVolume; } // 0 to kLoudest; kLoudest until set
    void SetMusicVolume(int volume);                   // clamped to 0 to kLoudest
    int GetEffectsVolume() const { return effectsVolume; }
    void SetEffectsVolume(int volume);

    // Display choices: unset until the player chose (then zelkora.ini / the defaults decide).
    std::optional<bool> GetFullScreen() const { return fullScreen; }
    void SetFullScreen(bool on) { fullScreen = on; }
    std::optional<bool> GetAutomaticResolution() const { return automaticResolution; }
    void SetAutomaticResolution(bool on) { automaticResolution = on; }
    std::optional<bool> GetFrameRateShown() const { return frameRateShown; }
    void SetFrameRateShown(bool on) { frameRateShown = on; }

private:
    // setOn: the line that set each setting so far, in the file's order; 0 for none.
    bool ReadLine(const std::string& line, int lineNumber, std::vector<int>& setOn,
                  std::string& problem);
    bool ReadValue(std::size_t index, const std::string& word); // false: not this setting's

    int musicVolume = kLoudest;
    int effectsVolume = kLoudest;
    std::optional<bool> fullScreen;
    std::optional<bool> automaticResolution;
    std::optional<bool> frameRateShown;
};
