#include "app/PlayerSettings.h"
#include "FileBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kHeader = "# Zelkora's settings, as the menu keeps them; lines and comments of "
                            "your own stay.\n"
                            "# music-volume and effects-volume: 0 (silent) to 10 (full); "
                            "full-screen,\n"
                            "# automatic-resolution and frame-rate: yes or no.\n";

struct SChoices {
    int music;
    int effects;
    std::optional<bool> fullScreen;
    std::optional<bool> automaticResolution;
    std::optional<bool> frameRateShown;
};

void ExpectChoices(const CPlayerSettings& settings, const SChoices& expected,
                   const std::string& what) {
    EXPECT_EQ(settings.GetMusicVolume(), expected.music) << what;
    EXPECT_EQ(settings.GetEffectsVolume(), expected.effects) << what;
    EXPECT_EQ(settings.GetFullScreen(), expected.fullScreen) << what;
    EXPECT_EQ(settings.GetAutomaticResolution(), expected.automaticResolution) << what;
    EXPECT_EQ(settings.GetFrameRateShown(), expected.frameRateShown) << what;
}

// Every kind of line settings.txt may hold: what it sets, and the one line a bad one gives.
TEST(PlayerSettings, EachLineSetsOrIsNamedWithItsFileAndNumber) {
    const std::string bad = "; the line is ignored";
    const std::string notVolume = " is a whole number from 0 to 10" + bad;
    const struct {
        std::string text;
        SChoices choices;
        std::vector<std::string> problems;
    } cases[] = {
        {"", {10, 10, std::nullopt, std::nullopt, std::nullopt}, {}},
        {"# mine\r\nmusic-volume 7\r\n\teffects-volume 0 # quiet\nfull-screen yes\n"
         "automatic-resolution no\nframe-rate yes",
         {7, 0, true, false, true},
         {}},
        {"music-volume 11\nmusic-volume -1\nmusic-volume seven\neffects-volume 010\n"
         "music-volume 3\nmusic-volume 4\nfull-screen on\nframe-rate\nframe-rate yes no\n"
         "volume 3\nfull-screen \x1b[2J\n" +
             std::string(1001, '#') + "\n",
         {3, 10, std::nullopt, std::nullopt, std::nullopt},
         {"s:1: music-volume" + notVolume, "s:2: music-volume" + notVolume,
          "s:3: music-volume" + notVolume, "s:4: effects-volume" + notVolume,
          "s:6: music-volume is set on line 5 already" + bad, "s:7: full-screen is yes or no" + bad,
          "s:8: frame-rate needs a value" + bad, "s:9: frame-rate takes one value" + bad,
          "s:10: unknown setting \"volume\" (music-volume, effects-volume, full-screen, "
          "automatic-resolution or frame-rate)" +
              bad,
          "s:11: not text: a character that is neither printable ASCII nor a tab" + bad,
          "s:12: longer than 1000 characters" + bad}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        ExpectChoices(CPlayerSettings::Parse(c.text, "s", problems), c.choices, c.text);
        EXPECT_EQ(problems, c.problems) << c.text;
    }
}

// The menu's save, from no file, over the player's own, and over a file too large to be one:
// what is read back is what was saved, and the player's lines stay.
TEST(PlayerSettings, SaveKeepsThePlayersLinesAndReadsBack) {
    const struct {
        const char* what;
        std::optional<std::string> before; // none: no file, nor its directory
        SChoices saved;
        bool tooLarge; // the file before is moved aside, and the save says so
        std::string after;
    } cases[] = {
        {"a new file",
         std::nullopt,
         {3, 10, false, std::nullopt, std::nullopt},
         false,
         kHeader + "music-volume 3\neffects-volume 10\nfull-screen no\n"},
        {"the player's own",
         "# mine\nframe-rate no # fps off\nmusic-volume 7\nnonsense here\nmusic-volume 2\n",
         {5, 0, std::nullopt, true, false},
         false,
         "# mine\nframe-rate no # fps off\nmusic-volume 5\nnonsense here\neffects-volume 0\n"
         "automatic-resolution yes\n"},
        {"too large to read",
         std::string(CPlayerSettings::kLargestFile + 1, '#'),
         {0, 10, std::nullopt, std::nullopt, true},
         true,
         kHeader + "music-volume 0\neffects-volume 10\nframe-rate yes\n"},
    };
    for (const auto& c : cases) {
        const CScratchDirectory scratch;
        const std::string path = scratch.Join("zelkora/settings.txt");
        if (c.before.has_value()) {
            ASSERT_EQ(mkdir(scratch.Join("zelkora").c_str(), 0700), 0);
            WriteFileBytes(path, *c.before);
        }
        std::vector<std::string> problems;
        CPlayerSettings settings = CPlayerSettings::Load(path, problems);
        settings.SetMusicVolume(c.saved.music);
        settings.SetEffectsVolume(c.saved.effects);
        for (const auto& [choice, set] :
             {std::pair{c.saved.fullScreen, &CPlayerSettings::SetFullScreen},
              std::pair{c.saved.automaticResolution, &CPlayerSettings::SetAutomaticResolution},
              std::pair{c.saved.frameRateShown, &CPlayerSettings::SetFrameRateShown}}) {
            if (choice.has_value()) {
                (settings.*set)(*choice);
            }
        }
        std::string problem;
        EXPECT_TRUE(settings.Save(path, problem)) << c.what << ": " << problem;
        EXPECT_EQ(problem, c.tooLarge ? path + ": larger than 16 KiB, so moved it to " + path +
                                            ".bad and wrote a new one"
                                      : "")
            << c.what;
        EXPECT_EQ(ReadFileBytes(path), c.after) << c.what;
        if (c.tooLarge) {
            EXPECT_EQ(ReadFileBytes(path + ".bad"), *c.before) << c.what;
        }
        ExpectChoices(CPlayerSettings::Load(path, problems), c.saved, c.what);
    }
}

// Volumes out of range are clamped; a file the game cannot read, or cannot write, is left
// alone with one line.
TEST(PlayerSettings, VolumesClampAndAFileThatCannotBeReadOrWrittenStays) {
    CPlayerSettings settings;
    settings.SetMusicVolume(-3);
    settings.SetEffectsVolume(99);
    ExpectChoices(settings, {0, 10, std::nullopt, std::nullopt, std::nullopt}, "clamped");

    const CScratchDirectory scratch;
    ASSERT_EQ(mkdir(scratch.Join("settings.txt").c_str(), 0700), 0);
    WriteFileBytes(scratch.Join("file"), "not a directory");
    const struct {
        std::string path;
        std::string problem;
    } cases[] = {
        {scratch.Join("settings.txt"), scratch.Join("settings.txt") +
                                           ": cant read it (not a regular file), so it is not "
                                           "replaced"},
        {scratch.Join("file/settings.txt"),
         "cant write " + scratch.Join("file/settings.txt") + " (Not a directory)"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(settings.Save(c.path, problem)) << c.path;
        EXPECT_EQ(problem, c.problem);
    }
    EXPECT_EQ(ReadFileBytes(scratch.Join("file")), "not a directory");
}

} // namespace
