#include "base/ChildSandbox.h"
#include "base/ReplayVerifier.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kParentsDescriptor = 900; // one the parent holds open without close-on-exec

} // namespace

// A "game" that tries what a hostile file might make the real one do, and says what it could:
// write beside its parent's files, write in its own directory, use its parent's descriptor.
TEST(ChildSandbox, TheCheckWritesOnlyInItsOwnDirectoryAndHoldsNothingOfItsParents) {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("sandbox-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch / "checks");
    const std::string outside = (scratch / "outside").string();
    const std::string game = (scratch / "game").string();
    std::ofstream(game) << "#!/bin/sh\n"
                           "said='replay: run.zrp:'\n"
                           "echo x > "
                        << outside
                        << " 2>/dev/null && said=\"$said outside\"\n"
                           "echo x > inside 2>/dev/null && said=\"$said inside\"\n"
                           "[ -e /proc/self/fd/"
                        << kParentsDescriptor
                        << " ] && said=\"$said inherited\"\n"
                           "echo \"$said\"\n";
    chmod(game.c_str(), 0755);
    ASSERT_EQ(dup2(open(game.c_str(), O_RDONLY), kParentsDescriptor), kParentsDescriptor);

    const CReplayVerifier verifier(game, (scratch / "checks").string(), {});
    std::string line;
    int exitCode = -1;
    std::string problem;
    ASSERT_TRUE(verifier.Run("ZRP", line, exitCode, problem)) << problem;
    close(kParentsDescriptor);
    const bool landlock = CChildSandbox::GetLandlockVersion() > 0;
    EXPECT_EQ(line, std::string("replay: run.zrp:") + (landlock ? "" : " outside") + " inside");
    EXPECT_EQ(std::filesystem::exists(outside), !landlock);
    std::filesystem::remove_all(scratch);
}
