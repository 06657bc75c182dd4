#include "app/CommandLine.h"

#include "app/Config.h"
#include "online/BoardSettings.h"

#include "EnvironmentVariable.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct SParse {
    CCommandLine::EOutcome outcome;
    std::string out;
    std::string err;
};

SParse Parse(CCommandLine& line, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "zelkora");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::ostringstream out;
    std::ostringstream err;
    const auto outcome = line.Parse(static_cast<int>(arguments.size()), argv.data(), out, err);
    return {outcome, out.str(), err.str()};
}

TEST(CommandLine, OptionsOverrideTheFileAndLeaveTheRest) {
    CCommandLine line;
    const SParse parse =
        Parse(line, {"--fullscreen", "--difficulty", "7", "--seed=5", "--no-records"});
    ASSERT_EQ(parse.outcome, CCommandLine::EOutcome::Run) << parse.err;
    EXPECT_EQ(parse.out + parse.err, "");
    CConfig config;
    config.tunnelLength = 2; // as if from zelkora.ini
    line.ApplyTo(config);
    EXPECT_EQ(config.difficulty, 7);
    EXPECT_EQ(config.tunnelLength, 2);
    EXPECT_EQ(config.displayMode, 0);
    EXPECT_EQ(line.GetSeed(), 5u);
    EXPECT_TRUE(line.GetNoRecords());

    CCommandLine none;
    ASSERT_EQ(Parse(none, {}).outcome, CCommandLine::EOutcome::Run);
    CConfig untouched;
    none.ApplyTo(untouched);
    EXPECT_EQ(untouched.difficulty, 3);
    EXPECT_EQ(untouched.displayMode, 1);
    EXPECT_FALSE(none.GetSeed().has_value());
    EXPECT_FALSE(none.GetNoRecords());

    CCommandLine edges; // the limits themselves are accepted; the last display option wins
    ASSERT_EQ(Parse(edges, {"--fullscreen", "--window", "--seed", "2147483647", "--length", "1",
                            "--difficulty", "0"})
                  .outcome,
              CCommandLine::EOutcome::Run);
    edges.ApplyTo(untouched);
    EXPECT_EQ(edges.GetSeed(), 2147483647u);
    EXPECT_EQ(untouched.tunnelLength, 1);
    EXPECT_EQ(untouched.difficulty, 0);
    EXPECT_EQ(untouched.displayMode, 1);
}

TEST(CommandLine, HelpAndVersionPrintAndFinish) {
    CCommandLine line;
    const SParse version = Parse(line, {"--version", "--bogus"});
    EXPECT_EQ(version.outcome, CCommandLine::EOutcome::Finished);
    EXPECT_EQ(version.out, "zelkora 1.3.0\n");
    const SParse help = Parse(line, {"--help"});
    EXPECT_EQ(help.outcome, CCommandLine::EOutcome::Finished);
    EXPECT_EQ(help.err, "");
    for (const char* named : {"--window", "--fullscreen", "--difficulty N", "--length N",
                              "--seed N", "--no-records", "--version", " F4 ", " F10 ", " F11 ",
                              "  r  ", "  m  ", "ESC or q", "records.txt", "keys.txt"}) {
        EXPECT_NE(help.out.find(named), std::string::npos) << named;
    }
}

TEST(CommandLine, EachBadOptionIsRefusedWithOneLineNamingIt) {
    const std::string hint = "; try 'zelkora --help'\n";
    const struct {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{"--bogus"}, "zelkora: unknown option '--bogus'"},
        {{"-x"}, "zelkora: unknown option '-x'"},
        {{"--seed"}, "zelkora: option '--seed' needs a value: a whole number from 0 to 2147483647"},
        {{"--length"}, "zelkora: option '--length' needs a value: a whole number from 1 to 100000"},
        {{"--seed", "-1"},
         "zelkora: invalid value '-1' for '--seed': a whole number from 0 to 2147483647 is "
         "accepted"},
        {{"--seed=2147483648"},
         "zelkora: invalid value '2147483648' for '--seed': a whole number from 0 to 2147483647 "
         "is accepted"},
        {{"--seed", "99999999999999999999999"},
         "zelkora: invalid value '99999999999999999999999' for '--seed': a whole number from 0 "
         "to 2147483647 is accepted"},
        {{"--difficulty", "2.5"},
         "zelkora: invalid value '2.5' for '--difficulty': a whole number from 0 to 1000 is "
         "accepted"},
        {{"--difficulty", "1001"},
         "zelkora: invalid value '1001' for '--difficulty': a whole number from 0 to 1000 is "
         "accepted"},
        {{"--length", "0"},
         "zelkora: invalid value '0' for '--length': a whole number from 1 to 100000 is accepted"},
        {{"--length", " 7"},
         "zelkora: invalid value ' 7' for '--length': a whole number from 1 to 100000 is "
         "accepted"},
        {{"--length="},
         "zelkora: invalid value '' for '--length': a whole number from 1 to 100000 is accepted"},
        {{"--window=1"}, "zelkora: option '--window' takes no value"},
        {{"--help=1"}, "zelkora: option '--help' takes no value"},
        {{"--version=1"}, "zelkora: option '--version' takes no value"},
        {{"--vers=1"}, "zelkora: option '--vers' takes no value"},
        {{"--full"}, "zelkora: option '--full' is ambiguous: --fullscreen or --full-resolution"},
        {{"--no"}, "zelkora: option '--no' is ambiguous: --no-records, --no-ghost or --no-board"},
        {{"--ver", "x.zrp"}, "zelkora: option '--ver' is ambiguous: --verify or --version"},
        {{"--replay"}, "zelkora: option '--replay' needs a replay file"},
        {{"--verify="}, "zelkora: option '--verify' needs a replay file"},
        {{"--replay", "a.zrp", "--verify", "b.zrp"},
         "zelkora: '--replay' and '--verify' cannot go together"},
        {{"--window", "extra"}, "zelkora: unexpected argument 'extra'"},
        {{"a.zrp", "b.zrp"}, "zelkora: unexpected argument 'a.zrp'"},
        {{"--verify", "a.zrp", "b.zrp"}, "zelkora: unexpected argument 'b.zrp'"},
        {{"--submit", "a.zrp", "--verify", "b.zrp"},
         "zelkora: '--verify' and '--submit' cannot go together"},
        {{"--submit="}, "zelkora: option '--submit' needs a replay file"},
        {{"--board"}, "zelkora: option '--board' needs a board's URL"},
        {{"--board", "http://board.example.org"},
         "zelkora: invalid value 'http://board.example.org' for '--board': http:// is for a "
         "board on this machine only (the token would cross the network in clear); use "
         "https://"},
        {{"--board=board.example.org"},
         "zelkora: invalid value 'board.example.org' for '--board': a board's URL starts with "
         "https:// (or http:// for one on this machine)"},
        {{"--ghost"}, "zelkora: option '--ghost' needs own or board"},
        {{"--ghost", "Board"},
         "zelkora: invalid value 'Board' for '--ghost': own or board is accepted"},
        {{"--no-board=1"}, "zelkora: option '--no-board' takes no value"},
    };
    for (const auto& c : cases) {
        CCommandLine line;
        const SParse parse = Parse(line, c.arguments);
        EXPECT_EQ(parse.outcome, CCommandLine::EOutcome::Refused) << c.line;
        EXPECT_EQ(parse.err, c.line + hint);
        EXPECT_EQ(parse.out, "");
    }
}

} // namespace

// --board names a board for this run, --no-board turns off whichever board.txt or --board
// named; --ghost picks whose run the ghost flies.
TEST(CommandLine, BoardOptionsOverBoardTxtAndTheGhostsOwner) {
    const struct {
        std::vector<std::string> arguments;
        std::string url;
        CCommandLine::EGhost ghost;
    } cases[] = {
        {{}, "https://file.example.org", CCommandLine::EGhost::Own},
        {{"--board", "https://b.example.org/", "--ghost=board"},
         "https://b.example.org",
         CCommandLine::EGhost::Board},
        {{"--no-board", "--board=http://127.0.0.1:8717", "--ghost", "own"},
         "",
         CCommandLine::EGhost::Own},
    };
    for (const auto& c : cases) {
        CCommandLine line;
        const SParse parse = Parse(line, c.arguments);
        ASSERT_EQ(parse.outcome, CCommandLine::EOutcome::Run) << parse.err;
        std::vector<std::string> problems;
        CBoardSettings board =
            CBoardSettings::Parse("url https://file.example.org\nname Ann", "b.txt", problems);
        line.ApplyTo(board);
        EXPECT_EQ(board.GetUrl(), c.url);
        EXPECT_EQ(board.GetName(), "Ann");
        EXPECT_EQ(line.GetGhost(), c.ghost);
    }
}

// A file option, or a replay named alone as a file manager opens one: by its ending, or a file
// without it that is there in the directory the player started from.
TEST(CommandLine, AFileNamedAloneIsAReplayToWatch) {
    const CEnvironmentVariable caller("ZELKORA_CALLER_DIRECTORY", ZELKORA_SOURCE_DIR "/packaging");
    const struct {
        std::vector<std::string> arguments;
        std::string replay;
        std::string submit;
    } cases[] = {
        {{"--submit", "run.zrp"}, "", "run.zrp"},
        {{"--window", "run.zrp"}, "run.zrp", ""},
        {{"zelkora.in"}, "zelkora.in", ""},
        {{ZELKORA_SOURCE_DIR "/LICENSE"}, ZELKORA_SOURCE_DIR "/LICENSE", ""},
    };
    for (const auto& c : cases) {
        CCommandLine line;
        const SParse parse = Parse(line, c.arguments);
        ASSERT_EQ(parse.outcome, CCommandLine::EOutcome::Run) << parse.err;
        EXPECT_EQ(line.GetReplayPath(), c.replay);
        EXPECT_EQ(line.GetSubmitPath(), c.submit);
    }
    CCommandLine directory;
    EXPECT_EQ(Parse(directory, {"../tests"}).err,
              "zelkora: unexpected argument '../tests'; try 'zelkora --help'\n");
}

TEST(CommandLine, DailySetsAsideTheOptionsThatNameAWorldWithOneLine) {
    CCommandLine line;
    const SParse both = Parse(line, {"--seed", "5", "--daily", "--length", "2", "--window"});
    EXPECT_EQ(both.outcome, CCommandLine::EOutcome::Run) << "not an error: the daily wins";
    EXPECT_EQ(both.err, "zelkora: --daily flies the world of the day; --seed, --length ignored\n");
    EXPECT_TRUE(line.GetDaily());
    EXPECT_FALSE(line.GetSeed().has_value());
    CConfig config;
    config.tunnelLength = 3;
    line.ApplyTo(config);
    EXPECT_EQ(config.tunnelLength, 3);
    EXPECT_EQ(config.displayMode, 1) << "options that name no world still count";

    CCommandLine alone;
    const SParse daily = Parse(alone, {"--daily"});
    EXPECT_EQ(daily.err, "");
    EXPECT_TRUE(alone.GetDaily());
}
