// The generator as the build runs it: the same source gives the same bytes, and the data stays
// small.

#include "Process.h"
#include "ToneFiles.h"
#include "render/AssetTable.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every file the game loads from its data directory: the rows of its asset table.
std::vector<std::string> DataFiles() {
    std::vector<std::string> files;
    for (const CAssetTable::SRow& row : CAssetTable::GetRows()) {
        files.push_back(row.path);
    }
    return files;
}

// Into a directory whose parent is missing too: the generator makes both.
TEST(Artgen, ASecondRunMakesItsDirectoriesAndWritesTheSameBytes) {
    CScratchDirectory scratch;
    const std::string data = scratch.Join("fresh/data");
    const SCommandResult run = RunCommand({ZELKORA_ARTGEN, data}, 120.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& file : DataFiles()) {
        const std::string again = ReadWhole(data + "/" + file);
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
