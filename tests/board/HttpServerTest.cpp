#include "board/HttpServer.h"

#include "RawConnection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A server on loopback with one route that tells what it read: "path|q|body".
class CEchoServer {
public:
    explicit CEchoServer(CHttpServer::SLimits limits) : server(limits) {
        const auto echo = [](const CHttpServer::SRequest& request,
                             CHttpServer::SResponse& response) {
            response.body = request.path + "|" + request.Param("q") + "|" + request.body;
        };
        server.Get("/echo", echo);
        server.Post("/echo", echo);
        std::string problem;
        EXPECT_TRUE(server.Bind("127.0.0.1", 0, problem)) << problem;
        serving = std::thread([this] { server.Serve(); });
    }
    ~CEchoServer() {
        server.Stop();
        serving.join();
    }

    CHttpServer server;

private:
    std::thread serving;
};

// The statuses of the answers one after another, each skipped by its Content-Length.
std::vector<int> Statuses(const std::string& answers) {
    std::vector<int> statuses;
    for (std::size_t at = 0; answers.compare(at, 9, "HTTP/1.1 ") == 0;) {
        statuses.push_back(std::stoi(answers.substr(at + 9, 3)));
        const std::size_t headEnd = answers.find("\r\n\r\n", at);
        const std::size_t length = answers.find("Content-Length: ", at);
        if (headEnd == std::string::npos) {
            break;
        }
        at = headEnd + 4 +
             (length < headEnd ? std::stoul(answers.substr(length + 16)) : std::size_t{0});
    }
    return statuses;
}

std::string Chunked(std::size_t chunks, std::size_t chunkBytes) {
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", chunkBytes);
    std::string body;
    for (std::size_t i = 0; i < chunks; ++i) {
        body += size + std::string(chunkBytes, 'x') + "\r\n";
    }
    return body + "0\r\n\r\n";
}

std::string Headers(int count) {
    std::string headers;
    for (int i = 0; i < count; ++i) {
        headers += "X-" + std::to_string(i) + ": y\r\n";
    }
    return headers;
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
    CEchoServer echo(limits);
    struct SCase {
        std::string what;
        std::string bytes;
        std::vector<int> statuses;
        std::string echoed; // in the answers
    };
    const std::string body64MiB = Chunked(1024, 64 * 1024);
    const std::vector<SCase> cases = {
        {"a GET, path and query decoded",
         "\r\nGET /ech%6F?p=1&q=a+b%21%zz HTTP/1.1\r\nHost: x\r\n" + kClose,
         {200},
         "/echo|a b!%zz|"},
        {"a POST", kPost + "Content-Length: 5\r\n\r\nhello", {200}, "/echo||hello"},
        {"a chunked POST",
         kPost + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;x=1\r\n "
                 "world\r\n0\r\nTrailer: t\r\n\r\n",
         {200},
         "|hello world"},
        {"100-continue",
         kPost + "Expect: 100-continue\r\nContent-Length: 2\r\n\r\nok",
         {100, 200},
         "|ok"},
        {"seven on one connection, pipelined",
         kGet + "\r\n" + kGet + "\r\n" + kGet + "\r\n" + kGet + "\r\n" + kGet + "\r\n" + kGet +
             "Connection: keep-alive\r\n\r\n" + kGet + kClose,
         {200, 200, 200, 200, 200, 200, 200},
         ""},
        {"HTTP/1.0 closes", "GET /echo HTTP/1.0\r\n\r\n", {200}, ""},
        {"no such path", "GET /other HTTP/1.1\r\n" + kClose, {404}, ""},
        {"a method the path does not take", "PUT /echo HTTP/1.1\r\n" + kClose, {405}, ""},
        {"a Content-Length past the limit", kPost + "Content-Length: 1048577\r\n\r\n", {413}, ""},
        {"a huge Content-Length",
         kPost + "Content-Length: 99999999999999999999999\r\n\r\n",
         {413},
         ""},
        {"64 MiB chunked", kPost + "Transfer-Encoding: chunked\r\n\r\n" + body64MiB, {413}, ""},
        {"101 headers", kGet + Headers(101) + "\r\n", {431}, ""},
        {"a 20 KB header", kGet + "X: " + std::string(20000, 'y') + "\r\n\r\n", {431}, ""},
        {"a 20 KB request line",
         "GET /" + std::string(20000, 'e') + " HTTP/1.1\r\n\r\n",
         {414},
         ""},
        {"a bad chunk size",
         kPost + "Transfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n",
         {400},
         ""},
        {"a chunk longer than its size",
         kPost + "Transfer-Encoding: chunked\r\n\r\n2\r\nhello\r\n0\r\n\r\n",
         {400},
         ""},
        {"an unknown transfer coding", kPost + "Transfer-Encoding: gzip\r\n\r\nxx", {501}, ""},
        {"a compressed body",
         kPost + "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\nxx",
         {415},
         "compressed bodies are not taken"},
        {"a bad request line", "GET /echo\r\n\r\n", {400}, ""},
        {"a header without a colon", kGet + "Host x\r\n\r\n", {400}, ""},
        {"a length and chunks",
         kPost + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n",
         {400},
         ""},
    };
    for (const SCase& request : cases) {
        CRawConnection connection(echo.server.GetPort());
        ASSERT_TRUE(connection.IsConnected());
        std::size_t sent = 0;
        std::thread sender([&] { sent = connection.Send(request.bytes); });
        bool closed = false;
        const std::string answers = connection.ReadToClose(3, closed);
        sender.join();
        EXPECT_EQ(Statuses(answers), request.statuses) << request.what << "\n" << answers;
        EXPECT_TRUE(closed) << request.what;
        EXPECT_NE(answers.find(request.echoed), std::string::npos) << request.what;
        // Past the limit the server reads no more than the sockets' buffers hold (at most 32 MiB
        // on loopback here), never the whole body.
        EXPECT_LT(sent, 48u << 20) << request.what;
    }
}

// Clients that trickle a byte a second hold a connection each until their head's deadline;
// meanwhile the server answers others at once, and then closes each slow one with 408.
TEST(HttpServer, TwoHundredSlowClientsAreAnsweredAtTheirDeadlineAndBlockNobody) {
    CHttpServer::SLimits limits;
    limits.headSeconds = 3;
    limits.threads = 2;
    CEchoServer echo(limits);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<CRawConnection>> slow;
    for (int i = 0; i < 200; ++i) {
        slow.push_back(std::make_unique<CRawConnection>(echo.server.GetPort()));
        ASSERT_TRUE(slow.back()->IsConnected());
    }
    std::atomic<bool> trickling{true};
    std::thread trickle([&] {
        const std::string request = kGet + "X: " + std::string(100, 'y') + "\r\n\r\n";
        for (std::size_t next = 0; trickling && next < request.size(); ++next) {
            for (auto& connection : slow) {
                connection->Send(request.substr(next, 1));
            }
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });
    httplib::Client client("127.0.0.1", echo.server.GetPort());
    double slowest = 0.0;
    for (int i = 0; i < 3; ++i) {
        const auto asked = std::chrono::steady_clock::now();
        const auto answer = client.Get("/echo");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - asked;
        EXPECT_TRUE(answer && answer->status == 200);
        slowest = std::max(slowest, took.count());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::printf("slowest of 3 answers while 200 clients dawdle: %.1f ms\n", slowest * 1000);
    EXPECT_LT(slowest, 2.0);
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
    trickling = false;
    trickle.join();
}
