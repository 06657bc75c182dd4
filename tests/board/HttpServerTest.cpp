#include "board/HttpServer.h"

#include "BoardServer.h"
#include "FileBytes.h"
#include "RawConnection.h"
#include "ToneFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A server on loopback with one route that tells what it read: "path|q|body".
struct SEchoServer {
    explicit SEchoServer(CHttpServer::SLimits limits) : server(limits) {
        const auto echo = [](const auto& request, auto& response) {
            response.body = request.path + "|" + request.Param("q") + "|" + request.body;
        };
        server.Get("/echo", echo);
        server.Post("/echo", echo);
        server.SetQuick([](const auto& request, auto& response) { // on the loop's thread
            response.body = "at once|" + request.Param("q");
            return request.Param("q") == "1";
        });
        std::string problem;
        EXPECT_TRUE(server.Bind("127.0.0.1", 0, problem)) << problem;
        serving = std::thread([this] { server.Serve(); });
    }
    ~SEchoServer() {
        server.Stop();
        serving.join();
    }
    CHttpServer server;
    std::thread serving;
};

// The statuses of the whole answers one after another, each skipped by its Content-Length.
std::vector<int> Statuses(const std::string& answers) {
    std::vector<int> statuses;
    for (std::size_t at = 0, headEnd;
         answers.compare(at, 9, "HTTP/1.1 ") == 0 &&
         (headEnd = answers.find("\r\n\r\n", at)) != std::string::npos;) {
        statuses.push_back(std::stoi(answers.substr(at + 9, 3)));
        const std::size_t length = answers.find("Content-Length: ", at);
        at = headEnd + 4 + (length < headEnd ? std::stoul(answers.substr(length + 16)) : 0);
    }
    return statuses;
}

std::string Repeated(const std::string& part, std::size_t times) {
    std::string whole;
    for (std::size_t i = 0; i < times; ++i) {
        whole += part;
    }
    return whole;
}

// 64 MiB of chunks, a body far past any limit.
std::string Chunks64MiB() {
    return Repeated("10000\r\n" + std::string(1 << 16, 'x') + "\r\n", 1024);
}

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
    std::string headers = "GET /healthz HTTP/1.1\r\n";
    for (int i = 0; i < 200000; ++i) {
        headers += "X-" + std::to_string(i) + ": y\r\n";
    }
    return {post + "Transfer-Encoding: chunked\r\n\r\n" + Chunks64MiB(), headers + "\r\n",
            post + "Content-Length: 999999999999999\r\n\r\n",
            post + "Content-Length: 1048576\r\n\r\n" + std::string(1 << 20, 'z')};
}

const std::string kPost = "POST /echo HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
const std::string kGet = "GET /echo HTTP/1.1\r\nHost: x\r\n";
const std::string kClose = "Connection: close\r\n\r\n";

} // namespace

// Raw requests, each on a connection of its own, and every answer they must get. Each ends with
// the connection closed by the server, at once: a refusal or "Connection: close" closes it.
TEST(HttpServer, EveryRequestGetsTheAnswersItsBytesDeserve) {
    CHttpServer::SLimits limits; // 1 MiB bodies, 16 KiB heads, 100 headers
    limits.request.refuseEncodedBodies = true;
    SEchoServer echo(limits);
    const std::string chunked = kPost + "Transfer-Encoding: chunked\r\n\r\n";
    const struct {
        std::string bytes;
        std::vector<int> statuses;
        std::string echoed = ""; // in the answers
    } cases[] = {
        {"\r\nGET /ech%6F?p=1&q=a+b%21%zz HTTP/1.1\r\n" + kClose, {200}, "/echo|a b!%zz|"},
        {kPost + "Content-Length: 5\r\n\r\nhello", {200}, "/echo||hello"},
        {chunked + "5\r\nhello\r\n6;x=1\r\n world\r\n0\r\nT: t\r\n\r\n", {200}, "|hello world"},
        {kPost + "Expect: 100-continue\r\nContent-Length: 2\r\n\r\nok", {100, 200}, "|ok"},
        {Repeated(kGet + "\r\n", 5) + kGet + "Connection: keep-alive\r\n\r\n" + kGet + kClose,
         std::vector<int>(7, 200)},
        {Repeated("GET /echo?q=1 HTTP/1.1\r\n\r\n", 3) + kGet + "\r\n" +
             "GET /echo?q=1 HTTP/1.1\r\n" + kClose,
         std::vector<int>(5, 200), "at once|1"},
        {"GET /echo HTTP/1.0\r\n\r\n", {200}}, // closes
        {"GET /other HTTP/1.1\r\n" + kClose, {404}},
        {"PUT /echo HTTP/1.1\r\n" + kClose, {405}},
        {kPost + "Content-Length: 1048577\r\n\r\n", {413}},
        {kPost + "Content-Length: 99999999999999999999999\r\n\r\n", {413}},
        {chunked + Chunks64MiB() + "0\r\n\r\n", {413}},
        {kGet + Repeated("X: y\r\n", 101) + "\r\n", {431}},
        {kGet + "X: " + std::string(20000, 'y') + "\r\n\r\n", {431}},
        {"GET /" + std::string(20000, 'e') + " HTTP/1.1\r\n\r\n", {414}},
        {chunked + "zz\r\nhello\r\n0\r\n\r\n", {400}},
        {chunked + "2\r\nhello\r\n0\r\n\r\n", {400}}, // longer than its size
        {kPost + "Transfer-Encoding: gzip\r\n\r\nxx", {501}},
        {kPost + "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\nxx", {415}, "compressed"},
        {"GET /echo\r\n\r\n", {400}},
        {kGet + "Host x\r\n\r\n", {400}},
        {kPost + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n", {400}},
    };
    for (const auto& request : cases) {
        const std::string what = request.bytes.substr(0, 80);
        CRawConnection connection(echo.server.GetPort());
        std::size_t sent = 0;
        std::thread sender([&] { sent = connection.Send(request.bytes); });
        bool closed = false;
        const std::string answers = connection.ReadToClose(3, closed);
        sender.join();
        EXPECT_EQ(Statuses(answers), request.statuses) << what << "\n" << answers;
        EXPECT_TRUE(closed) << what;
        EXPECT_NE(answers.find(request.echoed), std::string::npos) << what;
        // Past the limit the server reads no more than the sockets' buffers hold (at most 32 MiB
        // on loopback here), never the whole body.
        EXPECT_LT(sent, 48u << 20) << what;
    }
}

// Clients that trickle a byte a second hold a connection each until their head's deadline;
// meanwhile the server answers others at once, and then closes each slow one with 408.
TEST(HttpServer, TwoHundredSlowClientsAreAnsweredAtTheirDeadlineAndBlockNobody) {
    CHttpServer::SLimits limits;
    limits.headSeconds = 3;
    limits.threads = 2;
    SEchoServer echo(limits);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<CRawConnection>> slow;
    for (int i = 0; i < 200; ++i) {
        slow.push_back(std::make_unique<CRawConnection>(echo.server.GetPort()));
    }
    std::thread trickle([&] { // a byte a second each, until past the deadline
        for (std::size_t next = 0; next < 4; ++next) {
            for (auto& connection : slow) {
                connection->Send(kGet.substr(next, 1));
            }
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });
    httplib::Client client("127.0.0.1", echo.server.GetPort());
    client.set_read_timeout(2, 0); // answered at once, not after the slow ones
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Status(client.Get("/echo")), 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const auto givenUp = start + std::chrono::seconds(8);
    int timedOut = 0;
    for (auto& connection : slow) {
        bool closed = false;
        const std::chrono::duration<double> left = givenUp - std::chrono::steady_clock::now();
        const std::string answer = connection->ReadToClose(std::max(0.0, left.count()), closed);
        timedOut += closed && answer.compare(0, 12, "HTTP/1.1 408") == 0 ? 1 : 0;
    }
    EXPECT_EQ(timedOut, 200) << "each answered 408 and closed";
    const std::chrono::duration<double> lasted = std::chrono::steady_clock::now() - start;
    EXPECT_GE(lasted.count(), 3.0) << "not before the deadline";
    EXPECT_LT(lasted.count(), 5.0) << "every one at the deadline";
    trickle.join();
}

// 64 hostile requests at once against the real board: each is refused, the board stays under
// 256 MB at its peak and goes on answering.
TEST(BoardServer, SixtyFourHostileRequestsAtOnceKeepItUnder256MB) {
    const CScratchDirectory scratch;
    const std::string log = scratch.Join("board.log");
    CBoardServer board("sqlite:" + scratch.Join("board.sqlite3"), scratch.GetPath(), log);
    ASSERT_TRUE(board.Ready()) << ReadFileBytes(log);

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
    std::printf("board peak memory after 64 hostile requests: %ld kB\n", peak);
    EXPECT_LT(peak, 256000000 / 1024) << "256 MB, in kilobytes as /proc gives them";
    EXPECT_EQ(Status(httplib::Client(board.Url()).Get("/healthz")), 200);
}
