#include "BoardServer.h"
#include "FileBytes.h"
#include "RawConnection.h"
#include "ToneFiles.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// The most memory the process has held, in kilobytes (VmHWM).
long PeakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key && key != "VmHWM:") {
        status.ignore(1 << 10, '\n');
    }
    long kilobytes = 0;
    status >> kilobytes;
    return kilobytes;
}

// Each a request that once cost the board dearly: a chunked body of 64 MiB, 200,000 headers, a
// body declared far past the limit, and a whole body at the limit.
std::vector<std::string> HostileRequests() {
    const std::string post = "POST /api/runs?name=Ann HTTP/1.1\r\nHost: x\r\n"
                             "Connection: close\r\nAuthorization: Bearer " +
                             std::string(32, 'A') + "\r\n";
    std::string chunked = post + "Transfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 1024; ++i) {
        chunked += "10000\r\n" + std::string(1 << 16, 'x') + "\r\n";
    }
    std::string headers = "GET /healthz HTTP/1.1\r\n";
    for (int i = 0; i < 200000; ++i) {
        headers += "X-" + std::to_string(i) + ": y\r\n";
    }
    return {chunked, headers + "\r\n", post + "Content-Length: 999999999999999\r\n\r\n",
            post + "Content-Length: 1048576\r\n\r\n" + std::string(1 << 20, 'z')};
}

} // namespace

// 64 hostile requests at once against the real board: each is refused, the board stays under
// 256 MB at its peak and goes on answering.
TEST(BoardServer, SixtyFourHostileRequestsAtOnceKeepItUnder256MB) {
    const CScratchDirectory scratch;
    const std::string log = scratch.Join("board.log");
    CBoardServer board("sqlite:" + scratch.Join("board.sqlite3"), scratch.GetPath(), log);
    ASSERT_TRUE(board.Ready()) << ReadFileBytes(log);
    const long before = PeakKilobytes(board.process.GetPid());

    const std::vector<std::string> requests = HostileRequests();
    std::vector<std::string> answers(64);
    std::vector<std::thread> attackers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        attackers.emplace_back([&, i] {
            CRawConnection connection(board.port);
            std::thread sender([&] { connection.Send(requests[i % requests.size()]); });
            bool closed = false;
            answers[i] = connection.ReadToClose(20, closed).substr(0, 12);
            sender.join();
        });
    }
    for (std::size_t i = 0; i < answers.size(); ++i) {
        attackers[i].join();
        EXPECT_EQ(answers[i].compare(0, 10, "HTTP/1.1 4"), 0) << answers[i];
    }
    const long peak = PeakKilobytes(board.process.GetPid());
    std::printf("board peak memory: %ld kB before, %ld kB after 64 hostile requests\n", before,
                peak);
    EXPECT_LT(peak, 256000000 / 1024) << "256 MB, in kilobytes as /proc gives them";
    const auto health = httplib::Client("127.0.0.1", board.port).Get("/healthz");
    EXPECT_TRUE(health && health->status == 200);
}
