#include "app/BoardSubmission.h"

#include "app/BoardSettings.h"

#include "FileBytes.h"
#include "LoopbackServer.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

struct SScratch {
    SScratch() { std::filesystem::create_directories(path); }
    ~SScratch() { std::filesystem::remove_all(path); }
    const std::string path =
        (std::filesystem::temp_directory_path() / ("submission-" + std::to_string(getpid())))
            .string();
};

CBoardSettings Settings(const std::string& text) {
    std::vector<std::string> problems;
    return CBoardSettings::Parse(text, "board.txt", problems);
}

} // namespace

// --submit's exit codes: 0 counted, 1 refused, 2 for all that was never answered, and nothing
// sent for a file the game cannot read or a player it cannot name.
TEST(BoardSubmission, ExitsZeroWhenCountedOneWhenRefusedTwoWhenNotSent) {
    std::atomic<int> received{0};
    CLoopbackServer board;
    const auto route = [&received](int status, std::string body) {
        return [&received, status, body](const httplib::Request&, httplib::Response& response) {
            ++received;
            response.status = status;
            response.set_content(body, "application/json");
        };
    };
    board.server.Post("/counts/api/runs",
                      route(201, R"({"kept":true,"rank":1,"players":1,"milliseconds":1000})"));
    board.server.Post("/taken/api/runs", route(403, R"({"error":"the name Ann is taken"})"));
    board.server.Post("/broken/api/runs", route(500, "{}"));
    board.Start();
    SScratch scratch;
    const std::string replay = scratch.path + "/run.zrp";
    std::filesystem::copy_file(ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp", replay);
    WriteFileBytes(scratch.path + "/bad.zrp", "ZRP but not really");
    const std::string named = "url " + board.Url();

    const struct {
        std::string boardText;
        std::string file;
        int exitCode;
        int sent;
        std::string out;
        std::string err;
    } cases[] = {
        {named + "/counts\nname Ann", replay, 0, 1, "board: #1 of 1 players, 0:01.00\n", ""},
        {named + "/taken\nname Ann", replay, 1, 1, "board: refused (403): the name Ann is taken\n",
         ""},
        {named + "/broken\nname Ann", replay, 2, 1,
         "board: not sent (the board's error (500)); send it again later\n", ""},
        {named + "/counts\nname Ann", scratch.path + "/bad.zrp", 2, 0, "",
         "zelkora: --submit: " + scratch.path + "/bad.zrp: not a replay the game can read ("},
        {named + "/counts\nname Ann", scratch.path + "/none.zrp", 2, 0, "",
         "zelkora: --submit: " + scratch.path + "/none.zrp: no such file; nothing sent\n"},
        {named + "/counts", replay, 2, 0, "",
         "zelkora: --submit: a board but no name: runs are not sent until board.txt says name "
         "NAME\n"},
        {"name Ann", replay, 2, 0, "",
         "zelkora: --submit: no board: board.txt names none (url URL), nor does --board\n"},
    };
    for (const auto& c : cases) {
        received = 0;
        std::ostringstream out;
        std::ostringstream err;
        const int exitCode = CBoardSubmission::Run(c.file, Settings(c.boardText),
                                                   scratch.path + "/config", out, err, {500, 2000});
        EXPECT_EQ(exitCode, c.exitCode) << c.boardText << " " << c.file;
        EXPECT_EQ(received, c.sent) << c.boardText << " " << c.file;
        EXPECT_EQ(out.str(), c.out) << c.boardText;
        EXPECT_EQ(err.str().substr(0, c.err.size()), c.err) << c.boardText;
    }
}
