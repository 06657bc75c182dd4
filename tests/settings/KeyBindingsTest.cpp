#include "settings/KeyBindings.h"
#include "../fuzz/KeysCheck.h"
#include "../support/ToneFiles.h"
#include "FileBytes.h"
#include "app/CommandLine.h"

#include <GL/glut.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

// Failures name the commands.
void PrintTo(CKeyBindings::ECommand command, std::ostream* out) {
    *out << CKeyBindings::NameOf(command);
}

namespace {

using ECommand = CKeyBindings::ECommand;

struct SExpected {
    bool special;
    int code;
    ECommand command;
};

ECommand CommandOf(const CKeyBindings& bindings, bool special, int code) {
    return special ? bindings.ForSpecialKey(code) : bindings.ForKey(code);
}

// Every key's command, ASCII keys first: two bindings are the same when these are.
std::vector<ECommand> EveryKey(const CKeyBindings& bindings) {
    std::vector<ECommand> commands;
    for (const bool special : {false, true}) {
        for (int code = 0; code < 256; ++code) {
            commands.push_back(CommandOf(bindings, special, code));
        }
    }
    return commands;
}

// What the README tells a player about the keys, checked key by key; 31 keys in all are bound
// (space, d e f g and the four arrows, y z, k p r n G m, Tab, Enter, F1 to F12).
TEST(KeyBindings, TheDefaultKeysDoWhatThePlayerIsTold) {
    std::vector<std::string> problems;
    const CKeyBindings fireOnD = CKeyBindings::Parse("fire d\n", "keys.txt", problems);
    ASSERT_TRUE(problems.empty());
    const CKeyBindings& keys = CKeyBindings::Defaults();
    const struct {
        const char* fact;
        const CKeyBindings& bindings;
        bool special;
        int code;
        ECommand command;
    } facts[] = {
        {"space accelerates", keys, false, ' ', ECommand::Accelerate},
        {"d steers left", keys, false, 'd', ECommand::Left},
        {"the down arrow steers down", keys, true, GLUT_KEY_DOWN, ECommand::Down},
        {"z fires", keys, false, 'z', ECommand::Fire},
        {"k self-destructs", keys, false, 'k', ECommand::SelfDestruct},
        {"G shows the ghost", keys, false, 'G', ECommand::Ghost},
        {"plain g steers down", keys, false, 'g', ECommand::Down},
        {"Tab shows the records", keys, false, '\t', ECommand::Records},
        {"F4 pauses", keys, true, GLUT_KEY_F4, ECommand::Pause},
        {"F11 goes full screen", keys, true, GLUT_KEY_F11, ECommand::FullScreen},
        {"Enter opens the menu", keys, false, '\r', ECommand::Menu},
        {"shift+d is no key of the game", keys, false, 'D', ECommand::None},
        {"q quits, which is no command", keys, false, 'q', ECommand::None},
        {"with fire d, d fires", fireOnD, false, 'd', ECommand::Fire},
        {"with fire d, y fires no more", fireOnD, false, 'y', ECommand::None},
        {"with fire d, the left arrow still steers", fireOnD, true, GLUT_KEY_LEFT, ECommand::Left},
    };
    for (const auto& fact : facts) {
        EXPECT_EQ(CommandOf(fact.bindings, fact.special, fact.code), fact.command) << fact.fact;
    }
    const std::vector<ECommand> every = EveryKey(keys);
    EXPECT_EQ(every.size() - std::count(every.begin(), every.end(), ECommand::None), 31u);
}

// --help's keys as the player reads them, lined up, ending with the keys that always quit.
TEST(KeyBindings, HelpListsTheDefaultKeysLineByLine) {
    std::ostringstream usage;
    CCommandLine::PrintUsage(usage);
    EXPECT_NE(
        usage.str().find("Keys:\n"
                         "  space               accelerate (hold)\n"
                         "  arrow keys, d e f g steer (left, up, right, down)\n"
                         "  y or z              fire\n"
                         "  k                   self-destruct\n"
                         "  p                   P mode (a run with it is not recorded)\n"
                         "  r                   restart the course in the same world\n"
                         "  n                   a new world of the same difficulty and length\n"
                         "  G (shift+g)         ghost of the world's best run on or off\n"
                         "  m                   sound off or on\n"
                         "  Tab                 records table on or off\n"
                         "  F1                  help\n"
                         "  Enter               menu: settings, the world of the day, replays, "
                         "the board\n"
                         "  F2                  frame rate on or off\n"
                         "  F3                  wireframe on or off\n"
                         "  F4                  pause\n"
                         "  F5                  mipmaps on or off\n"
                         "  F6                  vertex arrays on or off\n"
                         "  F7                  resolution automatic or always full\n"
                         "  F8                  view-frustum culling on or off\n"
                         "  F9                  translucency on or off\n"
                         "  F10                 screenshot\n"
                         "  F11                 full screen or window\n"
                         "  F12                 path line on or off\n"
                         "  ESC or q            quit\n"
                         "\n"),
        std::string::npos)
        << usage.str();
    // The game's help page lists every command with its summary on one line of the HUD.
    for (const CKeyBindings::SCommandRow& row : CKeyBindings::CommandTable()) {
        const std::size_t length = std::strlen(CKeyBindings::Summary(row.command));
        EXPECT_TRUE(length > 0 && length <= CKeyBindings::kLongestSummary) << row.name;
    }
}

// Each file: the problems it gives, word for word, and what some keys do after it.
TEST(KeyBindings, EachFileGivesItsKeysAndNamesEachBadLine) {
    const std::string p = "/cfg/keys.txt:";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> problems;
        std::vector<SExpected> keys;
    } files[] = {
        {"empty", "", {}, {{false, 'y', ECommand::Fire}, {true, GLUT_KEY_F4, ECommand::Pause}}},
        {"one hand, with comments, blanks and CRLF",
         "# left hand only\r\n\r\n  fire d\t# d fires\r\nleft LEFT\r\n",
         {},
         {{false, 'd', ECommand::Fire},
          {false, 'y', ECommand::None}, // fire has only d now
          {false, 'z', ECommand::None},
          {true, GLUT_KEY_LEFT, ECommand::Left},
          {false, 'e', ECommand::Up}}},
        {"a key taken from another command's defaults",
         "pause p F4\n",
         {},
         {{false, 'p', ECommand::Pause},
          {true, GLUT_KEY_F4, ECommand::Pause},
          {false, 'k', ECommand::SelfDestruct}}},
        {"names in any case, single letters as they are",
         "ACCELERATE Space\nGhost g\nrestart R\nsound f5 TAB enter 7\n",
         {},
         {{false, ' ', ECommand::Accelerate},
          {false, 'g', ECommand::Ghost},
          {false, 'G', ECommand::None},
          {false, 'R', ECommand::Restart},
          {false, 'r', ECommand::None},
          {true, GLUT_KEY_DOWN, ECommand::Down},
          {true, GLUT_KEY_F5, ECommand::Sound},
          {false, '\t', ECommand::Sound},
          {false, '\r', ECommand::Sound},
          {false, '7', ECommand::Sound},
          {false, 'm', ECommand::None}}},
        {"every kind of bad line",
         "jump x\nfire\nfire F13\nfire q\nup ESC\nquit x\nfire a\nfire b\nsound a\n"
         "pause \x1b[31m\nhelp s" +
             std::string(995, ' ') + "\nfire y y\n",
         {p + "1: unknown command \"jump\"; the line is ignored",
          p + "2: fire names no key; the line is ignored",
          p + "3: unknown key \"F13\" (a letter, a digit, space, UP, DOWN, LEFT, RIGHT, F1 to "
              "F12, TAB or ENTER); the line is ignored",
          p + "4: q always quits and cannot be bound; the line is ignored",
          p + "5: ESC always quits and cannot be bound; the line is ignored",
          p + "6: quit cannot be bound: ESC and q always quit; the line is ignored",
          p + "8: fire is bound on line 7 already; the line is ignored",
          p + "9: a is bound to fire on line 7 already; the line is ignored",
          p + "10: not text: a character that is neither printable ASCII nor a tab; the line "
              "is ignored",
          p + "11: longer than 1000 characters; the line is ignored",
          p + "12: fire is bound on line 7 already; the line is ignored"},
         {{false, 'a', ECommand::Fire},
          {false, 'b', ECommand::None},
          {false, 'y', ECommand::None},
          {false, 'x', ECommand::None},
          {false, 'm', ECommand::Sound},
          {true, GLUT_KEY_F4, ECommand::Pause},
          {false, 's', ECommand::None},
          {true, GLUT_KEY_UP, ECommand::Up}}},
    };
    for (const auto& file : files) {
        std::vector<std::string> problems;
        const CKeyBindings keys = CKeyBindings::Parse(file.text, "/cfg/keys.txt", problems);
        EXPECT_EQ(problems, file.problems) << file.name;
        for (const SExpected& key : file.keys) {
            EXPECT_EQ(CommandOf(keys, key.special, key.code), key.command)
                << file.name << ": " << (key.special ? "special " : "") << key.code;
        }
        EXPECT_TRUE(KeysParseIsSound(file.text)) << file.name;
    }
}

TEST(KeyBindings, AFloodOfBadLinesIsCutShortWithACount) {
    std::string text;
    for (int line = 0; line < CKeyBindings::kProblemsShown + 7; ++line) {
        text += "nonsense\n";
    }
    std::vector<std::string> problems;
    CKeyBindings::Parse(text, "k", problems);
    ASSERT_EQ(problems.size(), static_cast<std::size_t>(CKeyBindings::kProblemsShown + 1));
    EXPECT_EQ(problems[0], "k:1: unknown command \"nonsense\"; the line is ignored");
    EXPECT_EQ(problems.back(), "k: 7 more bad lines");
}

// A missing file is the ordinary case and says nothing; one that cannot be read says so once
// and leaves the defaults, and a FIFO in its place does not hang the start.
TEST(KeyBindings, LoadReadsTheFileOrSaysWhyTheDefaultsApply) {
    const CScratchDirectory scratch;
    std::vector<std::string> problems;
    EXPECT_EQ(CKeyBindings::Load(scratch.Join("keys.txt"), problems).ForKey('y'), ECommand::Fire);
    EXPECT_EQ(CKeyBindings::Load("", problems).ForKey('y'), ECommand::Fire);
    EXPECT_TRUE(problems.empty());

    std::ofstream(scratch.Join("keys.txt")) << "fire x\n";
    EXPECT_EQ(CKeyBindings::Load(scratch.Join("keys.txt"), problems).ForKey('x'), ECommand::Fire);
    EXPECT_TRUE(problems.empty());

    std::ofstream(scratch.Join("big.txt")) << std::string(CKeyBindings::kLargestFile + 1, '#');
    ASSERT_EQ(mkfifo(scratch.Join("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(scratch.Join("dir").c_str(), 0700), 0);
    for (const char* name : {"big.txt", "fifo", "dir"}) {
        EXPECT_EQ(CKeyBindings::Load(scratch.Join(name), problems).ForKey('y'), ECommand::Fire);
    }
    const std::string path = scratch.Join("");
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  path + "big.txt: larger than 64 KiB, so no key file; the default "
                         "keys apply",
                  path + "fifo: cant read it (not a regular file); the default keys apply",
                  path + "dir: cant read it (not a regular file); the default keys apply",
              }));
}

// The CONTROLS page's path over the player's keys.txt: each step sets a key or gives a command
// its defaults back, and the file saved after it reads back as the same bindings.
TEST(KeyBindings, KeysSetInTheMenuAreKeptAndReadBack) {
    const CScratchDirectory scratch;
    const std::string path = scratch.Join("keys.txt");
    WriteFileBytes(path, "# my keys\r\n\r\nSOUND m # mute\r\nsound b\n"); // the defaults
    constexpr int kRestore = -1;
    const std::string kNoKey =
        "not a key to bind: a letter, a digit, space, UP, DOWN, LEFT, RIGHT, "
        "F1 to F12, TAB or ENTER";
    const struct {
        const char* step;
        ECommand command;
        bool special;
        int code;            // kRestore: RestoreDefault instead of SetKey
        std::string problem; // "" when taken
        std::string keysAfter;
    } steps[] = {
        {"a free letter", ECommand::Pause, false, 'x', "", "x"},
        {"a special key set free", ECommand::Fire, true, GLUT_KEY_F4, "", "F4"},
        {"a default key of its own back", ECommand::Fire, false, 'y', "", "y"},
        {"a key it has already", ECommand::Left, false, 'd', "", "d LEFT"},
        {"another command's key", ECommand::Sound, false, 'y', "y is fire's", "m"},
        {"q", ECommand::Sound, false, 'q', "q quits", "m"},
        {"ESC", ECommand::Sound, false, 27, "ESC quits", "m"},
        {"a key keys.txt cannot name", ECommand::Sound, false, '!', kNoKey, "m"},
        {"no key at all", ECommand::Sound, false, 256, kNoKey, "m"},
        {"sound moves", ECommand::Sound, false, 'v', "", "v"},
        {"records takes sound's default", ECommand::Records, false, 'm', "", "m"},
        {"defaults back, one now records'", ECommand::Sound, false, kRestore, "", ""},
        {"defaults back, both free", ECommand::Fire, false, kRestore, "", "y z"},
        {"defaults back, its old key freed", ECommand::Pause, false, kRestore, "", "F4"},
    };
    std::vector<std::string> problems;
    CKeyBindings keys = CKeyBindings::Load(path, problems);
    for (const auto& step : steps) {
        std::string problem;
        if (step.code == kRestore) {
            keys.RestoreDefault(step.command);
        } else {
            EXPECT_EQ(keys.SetKey(step.command, step.special, step.code, problem),
                      step.problem.empty())
                << step.step;
        }
        EXPECT_EQ(problem, step.problem) << step.step;
        EXPECT_EQ(keys.KeysOf(step.command), step.keysAfter) << step.step;
        ASSERT_TRUE(keys.Save(path, problem)) << step.step << ": " << problem;
        problems.clear();
        EXPECT_EQ(EveryKey(CKeyBindings::Load(path, problems)), EveryKey(keys)) << step.step;
        EXPECT_EQ(problems, std::vector<std::string>()) << step.step;
    }
    // Only records is off its defaults now; sound, left with none, needs no line to read back.
    // The player's comment and blank line stay, the repeated sound line goes.
    EXPECT_EQ(ReadFileBytes(path), "# my keys\r\n\r\nrecords m\n");
}

} // namespace
