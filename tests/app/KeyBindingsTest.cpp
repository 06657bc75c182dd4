#include "app/KeyBindings.h"
#include "../fuzz/KeysCheck.h"
#include "../support/ToneFiles.h"
#include "FileBytes.h"
#include "app/CommandLine.h"

#include <GL/glut.h>
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
    int bound = 0;
    for (const bool special : {false, true}) {
        for (int code = 0; code < 256; ++code) {
            bound += CommandOf(keys, special, code) != ECommand::None;
        }
    }
    EXPECT_EQ(bound, 31);
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
        EXPECT_GT(std::strlen(CKeyBindings::Summary(row.command)), 0u) << row.name;
        EXPECT_LE(std::strlen(CKeyBindings::Summary(row.command)), CKeyBindings::kLongestSummary)
            << row.name;
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

// The CONTROLS page's path: each step sets a key or gives a command its defaults back, and
// keys.txt saved after it reads back as the same bindings.
TEST(KeyBindings, KeysSetInTheMenuAreKeptAndReadBack) {
    const CScratchDirectory scratch;
    const std::string path = scratch.Join("zelkora/keys.txt"); // the directory is made
    const struct {
        const char* step;
        ECommand command;
        bool restore; // RestoreDefault instead of SetKey
        bool special;
        int code;
        std::string problem; // "" when taken
        std::string keysAfter;
    } steps[] = {
        {"a free letter", ECommand::Pause, false, false, 'x', "", "x"},
        {"a special key set free", ECommand::Fire, false, true, GLUT_KEY_F4, "", "F4"},
        {"a default key of its own back", ECommand::Fire, false, false, 'y', "", "y"},
        {"a key it has already", ECommand::Left, false, false, 'd', "", "d LEFT"},
        {"another command's key", ECommand::Sound, false, false, 'y', "y is fire's", "m"},
        {"the menu's Enter", ECommand::Sound, false, false, '\r', "ENTER is menu's", "m"},
        {"q", ECommand::Sound, false, false, 'q', "q quits", "m"},
        {"ESC", ECommand::Sound, false, false, 27, "ESC quits", "m"},
        {"a key keys.txt cannot name", ECommand::Sound, false, false, '!',
         "not a key to bind: a letter, a digit, space, UP, DOWN, LEFT, RIGHT, F1 to F12, TAB or "
         "ENTER",
         "m"},
        {"a special key keys.txt cannot name", ECommand::Sound, false, true, GLUT_KEY_PAGE_UP,
         "not a key to bind: a letter, a digit, space, UP, DOWN, LEFT, RIGHT, F1 to F12, TAB or "
         "ENTER",
         "m"},
        {"no key at all", ECommand::Sound, false, false, 256,
         "not a key to bind: a letter, a digit, space, UP, DOWN, LEFT, RIGHT, F1 to F12, TAB or "
         "ENTER",
         "m"},
        {"no command", ECommand::None, false, false, 'a', "no command to bind the key to", ""},
        {"sound moves", ECommand::Sound, false, false, 'v', "", "v"},
        {"records takes sound's default", ECommand::Records, false, false, 'm', "", "m"},
        {"defaults back, one now records'", ECommand::Sound, true, false, 0, "", ""},
        {"defaults back, both free", ECommand::Fire, true, false, 0, "", "y z"},
        {"defaults back, its old key freed", ECommand::Pause, true, false, 0, "", "F4"},
    };
    CKeyBindings keys;
    for (const auto& step : steps) {
        const std::vector<ECommand> before = EveryKey(keys);
        std::string problem;
        if (step.restore) {
            keys.RestoreDefault(step.command);
        } else {
            EXPECT_EQ(keys.SetKey(step.command, step.special, step.code, problem),
                      step.problem.empty())
                << step.step;
        }
        EXPECT_EQ(problem, step.problem) << step.step;
        EXPECT_EQ(keys.KeysOf(step.command), step.keysAfter) << step.step;
        if (!step.problem.empty()) {
            EXPECT_EQ(EveryKey(keys), before) << step.step << ": a refused key changed nothing";
        }
        std::string saveProblem;
        ASSERT_TRUE(keys.Save(path, saveProblem)) << step.step << ": " << saveProblem;
        std::vector<std::string> problems;
        EXPECT_EQ(EveryKey(CKeyBindings::Load(path, problems)), EveryKey(keys)) << step.step;
        EXPECT_EQ(problems, std::vector<std::string>()) << step.step;
    }
    // Only records is off its defaults now; sound, left with none, needs no line to read back.
    EXPECT_EQ(ReadFileBytes(path), "# Zelkora's keys: a command and its keys a line (fire y z); a "
                                   "command not named\n"
                                   "# keeps its default keys. ESC and q always quit.\n"
                                   "records m\n");
}

// The player's own file: its comments and lines the game cannot read stay where they were, each
// command's line is rewritten in place and a repeat of it goes.
TEST(KeyBindings, SavingKeepsThePlayersLinesAndComments) {
    const CScratchDirectory scratch;
    const std::string path = scratch.Join("keys.txt");
    std::ofstream(path) << "# my keys\r\nFIRE d # left hand\r\nsound m\njump x\nfire b\n";
    std::vector<std::string> problems;
    CKeyBindings keys = CKeyBindings::Load(path, problems);
    std::string problem;
    ASSERT_TRUE(keys.SetKey(ECommand::Sound, false, 'v', problem)) << problem;
    ASSERT_TRUE(keys.Save(path, problem)) << problem;
    // fire took d from left, which is left with its arrow alone: a line says so.
    EXPECT_EQ(ReadFileBytes(path),
              "# my keys\r\nfire d # left hand\r\nsound v\njump x\nleft LEFT\n");
    EXPECT_EQ(EveryKey(CKeyBindings::Load(path, problems)), EveryKey(keys));
}

} // namespace
