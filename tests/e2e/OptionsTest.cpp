// The command line of the real binary: read before anything else, so that help, version and a
// bad option end the program before a sound or a window is started.

#include "GameRun.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr double kExitTimeout = 30.0;

// Without a display a window would fail, and an output driver SDL does not know would make the
// sound start print its failure: either shows on the way out.
int RunWithNothingStartable(CGameRun& run, const std::vector<std::string>& arguments) {
    run.SetEnvironment("DISPLAY", "");
    run.SetEnvironment("SDL_AUDIODRIVER", "no-such-driver");
    if (!run.Start(arguments)) {
        return -2;
    }
    return run.WaitForExit(kExitTimeout);
}

TEST(Options, HelpAndVersionPrintTheirTextAndStartNothing) {
    CGameRun version;
    EXPECT_EQ(RunWithNothingStartable(version, {"--version"}), 0);
    EXPECT_EQ(version.ReadStdout(), "zelkora 1.3.0\n");
    EXPECT_EQ(version.ReadStderr(), "");

    CGameRun help;
    EXPECT_EQ(RunWithNothingStartable(help, {"--help"}), 0);
    EXPECT_EQ(help.ReadStdout().rfind("Usage: zelkora [--window | --fullscreen]", 0), 0u)
        << help.ReadStdout();
    EXPECT_EQ(help.ReadStderr(), "");
}

TEST(Options, EveryBadOptionExitsWithCodeTwoAndItsLineBeforeAnythingStarts) {
    const std::string hint = "; try 'zelkora --help'\n";
    const struct {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{"--speed"}, "zelkora: unknown option '--speed'"},
        {{"--seed"}, "zelkora: option '--seed' needs a value: a whole number from 0 to 2147483647"},
        {{"--difficulty", "hard"},
         "zelkora: invalid value 'hard' for '--difficulty': a whole number from 0 to 1000 is "
         "accepted"},
        {{"--length", "100001"},
         "zelkora: invalid value '100001' for '--length': a whole number from 1 to 100000 is "
         "accepted"},
        {{"--window", "now"}, "zelkora: unexpected argument 'now'"},
    };
    for (const auto& c : cases) {
        CGameRun run;
        EXPECT_EQ(RunWithNothingStartable(run, c.arguments), 2) << c.line;
        EXPECT_EQ(run.ReadStderr(), c.line + hint);
        EXPECT_EQ(run.ReadStdout(), "") << "no sound started, nothing else said";
    }
}

} // namespace
