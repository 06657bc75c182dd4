#include "base/ChildSandbox.h"
#include "base/ReplayVerifier.h"

#include "FileBytes.h"
#include "ToneFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A "game" that tries what a hostile file might make the real one do, and says what it could:
// write beside its parent's files, write in its own directory, use descriptor 900, which its
// parent holds open without close-on-exec.
TEST(ChildSandbox, TheCheckWritesOnlyInItsOwnDirectoryAndHoldsNothingOfItsParents) {
    const CScratchDirectory scratch;
    const std::string outside = scratch.Join("outside");
    const std::string game = scratch.Join("game");
    WriteFileBytes(game, "#!/bin/sh\nsaid='replay: run.zrp:'\necho x > " + outside +
                             " 2>/dev/null && said=\"$said outside\"\n"
                             "echo x > inside 2>/dev/null && said=\"$said inside\"\n"
                             "[ -e /proc/self/fd/900 ] && said=\"$said inherited\"\n"
                             "echo \"$said\"\n");
    chmod(game.c_str(), 0755);
    ASSERT_EQ(dup2(open(game.c_str(), O_RDONLY), 900), 900);
    std::filesystem::create_directory(scratch.Join("checks"));
    const CReplayVerifier verifier(game, scratch.Join("checks"), {});
    std::string line;
    int exitCode = -1;
    std::string problem;
    ASSERT_TRUE(verifier.Run("ZRP", line, exitCode, problem)) << problem;
    close(900);
    const bool landlock = CChildSandbox::GetLandlockVersion() > 0;
    EXPECT_EQ(line, std::string("replay: run.zrp:") + (landlock ? "" : " outside") + " inside");
    EXPECT_EQ(std::filesystem::exists(outside), !landlock);
}
