#include "app/KeyBindings.h"
#include "../fuzz/KeysCheck.h"
#include "../support/ToneFiles.h"

#include <GL/glut.h>
#include <fstream>
#include <gtest/gtest.h>
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

TEST(KeyBindings, TheDefaultsAreTheKeysOfTheKeyTable) {
    const CKeyBindings& keys = CKeyBindings::Defaults();
    const SExpected expected[] = {
        {false, ' ', ECommand::Accelerate},
        {false, 'd', ECommand::Left},
        {true, GLUT_KEY_LEFT, ECommand::Left},
        {false, 'e', ECommand::Up},
        {true, GLUT_KEY_UP, ECommand::Up},
        {false, 'f', ECommand::Right},
        {true, GLUT_KEY_RIGHT, ECommand::Right},
        {false, 'g', ECommand::Down},
        {true, GLUT_KEY_DOWN, ECommand::Down},
        {false, 'y', ECommand::Fire},
        {false, 'z', ECommand::Fire},
        {false, 'k', ECommand::SelfDestruct},
        {false, 'p', ECommand::PMode},
        {false, 'r', ECommand::Restart},
        {false, 'n', ECommand::NewWorld},
        {false, 'G', ECommand::Ghost},
        {false, 'm', ECommand::Sound},
        {false, '\t', ECommand::Records},
        {true, GLUT_KEY_F1, ECommand::Help},
        {true, GLUT_KEY_F2, ECommand::FrameRate},
        {true, GLUT_KEY_F3, ECommand::Wireframe},
        {true, GLUT_KEY_F4, ECommand::Pause},
        {true, GLUT_KEY_F5, ECommand::Mipmaps},
        {true, GLUT_KEY_F6, ECommand::VertexArrays},
        {true, GLUT_KEY_F7, ECommand::Resolution},
        {true, GLUT_KEY_F8, ECommand::Culling},
        {true, GLUT_KEY_F9, ECommand::Translucency},
        {true, GLUT_KEY_F10, ECommand::Screenshot},
        {true, GLUT_KEY_F11, ECommand::FullScreen},
        {true, GLUT_KEY_F12, ECommand::PathLine},
    };
    int bound = 0;
    for (const bool special : {false, true}) {
        for (int code = -1; code <= 256; ++code) {
            bound += CommandOf(keys, special, code) != ECommand::None;
        }
    }
    EXPECT_EQ(bound, static_cast<int>(std::size(expected))) << "no key beyond the table";
    for (const SExpected& key : expected) {
        EXPECT_EQ(CommandOf(keys, key.special, key.code), key.command)
            << (key.special ? "special " : "") << key.code;
    }
    EXPECT_EQ(keys.ForKey('D'), ECommand::None); // only G of the capitals is bound
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

} // namespace
