#include "app/BoardToken.h"

#include "base/PlayerName.h"

#include "FileBytes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SScratch {
    SScratch() { std::filesystem::create_directories(path); }
    ~SScratch() { std::filesystem::remove_all(path); }
    const std::string path =
        (std::filesystem::temp_directory_path() / ("board-token-" + std::to_string(getpid())))
            .string();
};

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

} // namespace

TEST(BoardToken, IsMadeOncePrivateAndThenReused) {
    SScratch scratch;
    const std::string directory = scratch.path + "/config/zelkora"; // made when missing
    std::string token;
    std::string problem;
    ASSERT_TRUE(CBoardToken::Obtain(directory, token, problem)) << problem;
    EXPECT_TRUE(CPlayerName::IsValidToken(token)) << token;
    EXPECT_EQ(token.size(), 43u) << "32 bytes in base64url";
    const std::string path = directory + "/board-token";
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ReadFileBytes(path), token + "\n");
    EXPECT_EQ(std::filesystem::directory_iterator(directory)->path(), path) << "no temporary left";

    std::string again;
    ASSERT_TRUE(CBoardToken::Obtain(directory, again, problem)) << problem;
    EXPECT_EQ(again, token);
    std::string other;
    SScratch elsewhere;
    ASSERT_TRUE(CBoardToken::Obtain(elsewhere.path + "/z", other, problem)) << problem;
    EXPECT_NE(other, token) << "from the random source";
}

// A token file that cannot serve is left as it is, with one line that says how to mend it.
TEST(BoardToken, ADamagedOrOpenTokenFileIsRefusedWithHowToMendIt) {
    const std::string good(43, 'A');
    const std::string removeIt = " makes a new token, and the board's name must then be claimed "
                                 "anew; no run is sent until then";
    const struct {
        std::string bytes; // "" with directory: a directory in its place
        mode_t mode;
        bool directory;
        std::string problem; // after the path
    } cases[] = {
        {good + "\n", 0644, false,
         ": others than you may read or change it; chmod 600 PATH (no run is sent until then)"},
        {good + "\n", 0620, false,
         ": others than you may read or change it; chmod 600 PATH (no run is sent until then)"},
        {good + "\n", 0604, false,
         ": others than you may read or change it; chmod 600 PATH (no run is sent until then)"},
        {"short\n", 0600, false,
         ": damaged (a token is one line of 22 to 128 letters, digits, "
         "-, _, +, / or =); rm PATH" +
             removeIt},
        {good + "\n\n", 0600, false,
         ": damaged (a token is one line of 22 to 128 letters, "
         "digits, -, _, +, / or =); rm PATH" +
             removeIt},
        {good + " x\n", 0600, false,
         ": damaged (a token is one line of 22 to 128 letters, "
         "digits, -, _, +, / or =); rm PATH" +
             removeIt},
        {std::string(2000, 'A'), 0600, false,
         ": larger than 1024 bytes, so no token; rm PATH" + removeIt},
        {"", 0700, true, ": not a regular file; rm PATH" + removeIt},
    };
    for (const auto& c : cases) {
        SScratch scratch;
        const std::string path = scratch.path + "/board-token";
        if (c.directory) {
            std::filesystem::create_directory(path);
        } else {
            WriteFileBytes(path, c.bytes);
        }
        chmod(path.c_str(), c.mode);
        std::string token = "stale";
        std::string problem;
        EXPECT_FALSE(CBoardToken::Obtain(scratch.path, token, problem)) << c.problem;
        EXPECT_EQ(token, "");
        std::string expected = path + c.problem;
        for (std::size_t at; (at = expected.find("PATH")) != std::string::npos;) {
            expected.replace(at, 4, path);
        }
        EXPECT_EQ(problem, expected);
        EXPECT_EQ(ModeOf(path), c.mode) << "never mended silently";
        if (!c.directory) {
            EXPECT_EQ(ReadFileBytes(path), c.bytes) << "never overwritten";
        }
    }
}
