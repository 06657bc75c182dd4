#include "settings/PlayerSettings.h"
#include "FileBytes.h"
#include "ToneFiles.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace {

using Choices = std::tuple<int, int, std::optional<bool>, std::optional<bool>, std::optional<bool>>;
constexpr std::nullopt_t kUnset = std::nullopt;

Choices ChoicesOf(const CPlayerSettings& settings) {
    return {settings.GetMusicVolume(), settings.GetEffectsVolume(), settings.GetFullScreen(),
            settings.GetAutomaticResolution(), settings.GetFrameRateShown()};
}

// Every kind of line settings.txt may hold: what it sets, and the one line a bad one gives.
TEST(PlayerSettings, EachLineSetsOrIsNamedWithItsFileAndNumber) {
    const std::string bad = "; the line is ignored";
    const std::string notVolume = " is a whole number from 0 to 10" + bad;
    const struct {
        std::string text;
        Choices choices;
        std::vector<std::string> problems;
    } cases[] = {
        {"", {10, 10, kUnset, kUnset, kUnset}, {}},
        {"music-volume 11\nmusic-volume seven\neffects-volume 010\n"
         "music-volume 3\nmusic-volume 4\nfull-screen on\nframe-rate\nframe-rate yes no\n"
         "volume 3\neffects-volume 0 # quiet\r\nfull-screen yes\nautomatic-resolution no\n"
         "frame-rate yes",
         {3, 0, true, false, true},
         {"s:1: music-volume" + notVolume, "s:2: music-volume" + notVolume,
          "s:3: effects-volume" + notVolume, "s:5: music-volume is set on line 4 already" + bad,
          "s:6: full-screen is yes or no" + bad, "s:7: frame-rate needs a value" + bad,
          "s:8: frame-rate takes one value" + bad,
          "s:9: unknown setting \"volume\" (music-volume, effects-volume, full-screen, "
          "automatic-resolution or frame-rate)" +
              bad}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        EXPECT_EQ(ChoicesOf(CPlayerSettings::Parse(c.text, "s", problems)), c.choices) << c.text;
        EXPECT_EQ(problems, c.problems) << c.text;
    }
}

// The menu's saves in turn: a new file (its directory made), the player's own
// lines kept, a file too large to read moved aside, and one that cannot be read left alone.
TEST(PlayerSettings, SavesKeepThePlayersLinesAndReadBack) {
    const CScratchDirectory scratch;
    const std::string path = scratch.Join("zelkora/settings.txt");
    std::vector<std::string> problems;
    std::string problem;
    CPlayerSettings settings;
    settings.SetMusicVolume(-3); // clamped
    settings.SetEffectsVolume(99);
    settings.SetFullScreen(false);
    ASSERT_TRUE(settings.Save(path, problem)) << problem;
    EXPECT_EQ(ChoicesOf(CPlayerSettings::Load(path, problems)),
              Choices(0, 10, false, kUnset, kUnset));

    WriteFileBytes(path, "# mine\nframe-rate no # fps off\nmusic-volume 2\nmusic-volume 3\n");
    settings = CPlayerSettings::Load(path, problems);
    settings.SetAutomaticResolution(true);
    ASSERT_TRUE(settings.Save(path, problem)) << problem;
    EXPECT_EQ(ReadFileBytes(path), "# mine\nframe-rate no # fps off\nmusic-volume 2\n"
                                   "effects-volume 10\nautomatic-resolution yes\n");

    const std::string tooLarge(CPlayerSettings::kLargestFile + 1, '#');
    WriteFileBytes(path, tooLarge);
    ASSERT_TRUE(settings.Save(path, problem));
    EXPECT_EQ(problem,
              path + ": larger than 16 KiB, so moved it to " + path + ".bad and wrote a new one");
    EXPECT_EQ(ReadFileBytes(path + ".bad"), tooLarge);
    EXPECT_EQ(ChoicesOf(CPlayerSettings::Load(path, problems)), ChoicesOf(settings));

    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(settings.Save(path, problem));
    EXPECT_EQ(problem, path + ": cant read it (not a regular file), so it is not replaced");
}

} // namespace
