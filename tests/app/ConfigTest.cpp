#include "app/Config.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

CConfig ReadFrom(const std::string& text) {
    std::istringstream in(text);
    CConfig config;
    config.Read(in);
    return config;
}

void ExpectValues(const CConfig& config, int difficulty, int tunnelLength, int displayMode) {
    EXPECT_EQ(config.difficulty, difficulty);
    EXPECT_EQ(config.tunnelLength, tunnelLength);
    EXPECT_EQ(config.displayMode, displayMode);
}

TEST(Config, DefaultsHoldWithoutAFile) {
    CConfig config;
    config.Load("/nonexistent/zelkora.ini");
    ExpectValues(config, 3, 500, 1);
}

TEST(Config, ReadsAllThreeAcrossAnyWhiteSpace) {
    ExpectValues(ReadFrom("2 2 1"), 2, 2, 1);
    ExpectValues(ReadFrom("\t5\n\n1000 \t 0\n"), 5, 1000, 0);
    ExpectValues(ReadFrom("4\n7\n"), 4, 7, 1);
}

TEST(Config, TheFirstFailedValueKeepsItAndTheRestAtDefaults) {
    ExpectValues(ReadFrom("hard 2 2"), 3, 500, 1);
    ExpectValues(ReadFrom("6 long 0"), 6, 500, 1);
    ExpectValues(ReadFrom("6 - 0"), 6, 500, 1);
    ExpectValues(ReadFrom(""), 3, 500, 1);
}

TEST(Config, OutOfRangeNumbersFailLikeText) {
    ExpectValues(ReadFrom("2147483648 2 0"), 3, 500, 1);
    ExpectValues(ReadFrom("1 -2147483649 0"), 1, 500, 1);
    ExpectValues(ReadFrom("2147483647 -2147483648 7"), 2147483647, -2147483648, 7);
}

TEST(Config, SignsAreAccepted) {
    ExpectValues(ReadFrom("+4 -3 +0"), 4, -3, 0);
}

TEST(Config, TextAfterTheThirdValueIsNeverRead) {
    ExpectValues(ReadFrom("1 2 0 and then anything 99"), 1, 2, 0);
}

TEST(Config, AFractionStopsAtItsPoint) {
    ExpectValues(ReadFrom("2.5 9 0"), 2, 500, 1);
}

TEST(Config, LoadsFromAFile) {
    const auto path = std::filesystem::temp_directory_path() / "zelkora-config-test.ini";
    std::ofstream(path) << "7 3 2\n";
    CConfig config;
    config.Load(path.c_str());
    std::filesystem::remove(path);
    ExpectValues(config, 7, 3, 2);
}

TEST(Config, TunnelLengthCodesMapToNodeCounts) {
    CConfig config;
    const std::pair<int, int> cases[] = {{1, 500}, {2, 1000}, {3, 1500}, {1500, 1500}, {4, 4},
                                         {7, 7},   {0, 0},    {-2, -2},  {500, 500}};
    for (const auto& [written, nodes] : cases) {
        config.tunnelLength = written;
        EXPECT_EQ(config.GetTunnelNodeCount(), nodes) << "written " << written;
    }
}

} // namespace
