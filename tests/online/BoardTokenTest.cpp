#include "online/BoardToken.h"

#include "base/PlayerName.h"

#include "FileBytes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Each case starts from no token file or from an old one-token file (L), then asks for the
// tokens of boards in turn, with what board.txt names. Steps with the same letter get the same
// token, other letters other tokens; the file ends as `file` says, private, nothing else left.
TEST(BoardToken, EachBoardGetsItsOwnTokenAndAnOldTokenStaysWithItsBoard) {
    const std::string oldToken = "q7Zr-Kd2xP9vLw0mN4bT_8sYh3Jc6GfUeA1oRiXkV5n";
    struct SStep {
        std::string board;
        std::string fileUrl;
        char label;
    };
    const struct {
        bool oldFile;
        std::vector<SStep> steps;
        std::string file; // with labels for tokens
    } cases[] = {
        {false,
         {{"https://a.example", "", 'A'},
          {"https://A.Example:443/zelkora", "", 'A'},
          {"https://a.example:8443", "", 'B'},
          {"http://127.0.0.1:8717", "https://a.example", 'C'}},
         "https://a.example:443 A\nhttps://a.example:8443 B\nhttp://127.0.0.1:8717 C\n"},
        // A board named with --board never gets the token board.txt's board was given.
        {true,
         {{"https://evil.example", "https://home.example/", 'E'},
          {"https://home.example:443", "https://home.example/", 'L'}},
         "https://home.example:443 L\nhttps://evil.example:443 E\n"},
        // board.txt names no board: the first one used gets it, and keeps it.
        {true,
         {{"http://localhost:8717", "", 'L'}, {"https://b.example", "https://b.example", 'B'}},
         "http://localhost:8717 L\nhttps://b.example:443 B\n"},
    };
    for (const auto& c : cases) {
        SScratch scratch;
        const std::string directory = scratch.path + "/config/zelkora"; // made when missing
        const std::string path = directory + "/board-token";
        std::map<char, std::string> tokens;
        if (c.oldFile) {
            std::filesystem::create_directories(directory);
            WriteFileBytes(path, oldToken + "\n");
            chmod(path.c_str(), 0600);
            tokens['L'] = oldToken;
        }
        for (const SStep& step : c.steps) {
            std::string token;
            std::string problem;
            ASSERT_TRUE(CBoardToken::Obtain(directory, step.board, step.fileUrl, token, problem))
                << step.board << ": " << problem;
            EXPECT_TRUE(CPlayerName::IsValidToken(token)) << token;
            const auto known = tokens.emplace(step.label, token).first;
            EXPECT_EQ(token, known->second) << step.board << " " << step.label;
            for (const auto& [label, other] : tokens) {
                EXPECT_TRUE(label == step.label || other != token) << step.board << " " << label;
            }
        }
        std::string file = c.file;
        for (const auto& [label, token] : tokens) {
            const std::string mark = std::string(" ") + label + "\n";
            file.replace(file.find(mark), mark.size(), " " + token + "\n");
        }
        EXPECT_EQ(ReadFileBytes(path), file);
        EXPECT_EQ(ModeOf(path), 0600u);
        const std::filesystem::directory_iterator entries(directory);
        EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary left";
    }
}

// A token file that cannot serve is left as it is, with one line that says how to mend it.
TEST(BoardToken, ADamagedOrOpenTokenFileIsRefusedWithHowToMendIt) {
    const std::string good = "Xk3v_9QpLm2Rz7Wt-Yb4Nc8Hd1Fg6Js0Ae5Ui2Oo9Pq";
    const std::string line = "https://a.example:443 " + good + "\n";
    const std::string removeIt = "; rm PATH makes new tokens, and your names on the boards must "
                                 "then be claimed anew; no run is sent until then";
    const std::string damaged = ": damaged (a line is a board's origin, such as "
                                "https://board.example.org:443, and its token of 22 to 128 "
                                "letters, digits, -, _, +, / or =; each board once)" +
                                removeIt;
    const std::string open =
        ": others than you may read or change it; chmod 600 PATH (no run is sent until then)";
    const struct {
        std::string bytes; // "" with directory: a directory in its place
        mode_t mode;
        bool directory;
        std::string problem; // after the path
    } cases[] = {
        {good + "\n", 0644, false, open},
        {line, 0620, false, open},
        {good + "\n", 0604, false, open},
        {"short\n", 0600, false, ":1" + damaged},
        {"", 0600, false, ":1" + damaged},
        {good + "\n\n", 0600, false, ":1" + damaged},
        {good + " x\n", 0600, false, ":1" + damaged},
        {line + "https://a.example " + good + "\n", 0600, false, ":2" + damaged},
        {line + "https://b.example:443 " + good + " \n", 0600, false, ":2" + damaged},
        {line + "https://A.example:443 " + good + "\n", 0600, false, ":2" + damaged},
        {line + line, 0600, false, ":2" + damaged},
        {std::string(20000, 'A'), 0600, false, ": larger than 16384 bytes, so no token" + removeIt},
        {"", 0700, true, ": not a regular file" + removeIt},
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
        EXPECT_FALSE(CBoardToken::Obtain(scratch.path, "https://a.example", "", token, problem))
            << c.bytes;
        EXPECT_EQ(token, "");
        std::string expected = path + c.problem;
        for (std::size_t at; (at = expected.find("PATH")) != std::string::npos;) {
            expected.replace(at, 4, path);
        }
        EXPECT_EQ(problem, expected);
        EXPECT_EQ(problem.find(good), std::string::npos) << "a token is never shown";
        EXPECT_EQ(ModeOf(path), c.mode) << "never mended silently";
        if (!c.directory) {
            EXPECT_EQ(ReadFileBytes(path), c.bytes) << "never overwritten";
        }
    }
}
