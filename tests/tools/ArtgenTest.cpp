// The generator as the build runs it: the same source gives the same bytes, and the data stays
// small.

#include "Process.h"
#include "ToneFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every file the game loads from its data directory.
std::vector<std::string> DataFiles() {
    std::vector<std::string> files;
    for (const char* name :
         {"segment1",  "segment2",   "segment3", "segment4",  "segment5", "segment6",
          "segment7",  "uboot5",     "hud",      "msgbox",    "laser",    "laser2",
          "explosion", "explosion2", "firework", "smoke",     "joint_0",  "joint_1",
          "joint_2",   "joint_3",    "joint_4",  "joint_5",   "joint_6",  "joint_7",
          "joint_8",   "joint_9",    "joint_10", "vaportail", "player1"}) {
        files.push_back(std::string("texture/") + name + ".tga");
    }
    for (int i = 1; i <= 14; ++i) {
        files.push_back("texture/e" + std::to_string(i) + ".tga");
    }
    files.push_back("mesh/player.obj");
    files.push_back("mesh/laser2.obj");
    for (int i = 1; i <= 9; ++i) {
        files.push_back("mesh/Enemy" + std::to_string(i) + ".obj");
    }
    for (const char* name :
         {"laser", "explosion_1", "explosion_2", "squeaky", "start_sound", "energy_warning",
          "energy_alert", "selfdestruct", "R2D2_1", "R2D2_2", "R2D2_3", "R2D2_4", "R2D2_5"}) {
        files.push_back(std::string("sounds/") + name + ".wav");
    }
    files.push_back("sounds/title_sound_1.mp3");
    return files;
}

TEST(Artgen, ASecondRunWritesTheSameBytes) {
    CScratchDirectory scratch;
    const SCommandResult run = RunCommand({ZELKORA_ARTGEN, scratch.GetPath()}, 120.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& file : DataFiles()) {
        const std::string again = ReadWhole(scratch.Join(file));
        ASSERT_FALSE(again.empty()) << file;
        EXPECT_TRUE(again == ReadWhole(std::string(ZELKORA_DATA_DIR) + "/" + file)) << file;
    }
}

TEST(Artgen, TheDataStaysUnderTwentyMegabytes) {
    long long total = 0;
    for (const std::string& file : DataFiles()) {
        struct stat status;
        ASSERT_EQ(stat((std::string(ZELKORA_DATA_DIR) + "/" + file).c_str(), &status), 0) << file;
        total += status.st_size;
    }
    EXPECT_LT(total, 20LL * 1024 * 1024);
}

TEST(Artgen, RefusesAMissingDirectoryArgumentAndAnUnwritablePlace) {
    EXPECT_EQ(RunCommand({ZELKORA_ARTGEN}, 10.0).exitCode, 2);
    const SCommandResult blocked = RunCommand({ZELKORA_ARTGEN, "/proc/zelkora-nowhere"}, 10.0);
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.output.find("cannot make the directory"), std::string::npos)
        << blocked.output;
}

} // namespace
