#pragma once

#include "board/HttpRequestReader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

// A small HTTP/1.1 server for Linux that a slow or hostile client cannot wear down. One thread
// accepts, reads and writes every connection without blocking (epoll); a request must send its
// head and its body each within a deadline and within fixed sizes, so a client that dawdles
// holds a connection, never a thread. Whole requests go to a fixed pool of handler threads,
// which may take as long as they need; their answers go back to the loop to be written.
// Keep-alive, pipelined requests answered one at a time in order; every answer has a
// Content-Length. The server's own refusals are one line of JSON, {"error":"..."}, never to be
// cached. A 200 with an ETag that the request's If-None-Match names goes out as 304, no body.
class CHttpServer {
public:
    struct SLimits {
        CHttpRequestReader::SLimits request; // sizes of a request, and compressed bodies
        int headSeconds = 5;   // from a request's first byte to its blank line; then 408, closed
        int bodySeconds = 10;  // from the blank line to the body's last byte; then 408, closed
        int idleSeconds = 5;   // a connection with no request begun is closed after it
        int writeSeconds = 10; // to write an answer; then the client is dropped
        std::size_t mostConnections = 10000; // more are accepted and closed at once
        int threads = 16;                    // handler threads
    };
    using SRequest = CHttpRequestReader::SRequest;
    struct SResponse {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain";
        std::vector<std::pair<std::string, std::string>> headers; // beside Content-Type and
                                                                  // Content-Length
        int route = -1; // the route that answered, in the order added; -1: the server itself
    };
    using Handler = std::function<void(const SRequest&, SResponse&)>;
    // Each answered request once, from any thread; milliseconds from the whole request to its
    // answer (for a refusal, from its first byte).
    using Logger = std::function<void(const SRequest&, const SResponse&, double milliseconds)>;
    // An answer ready in memory, given on the loop's own thread before any handler is asked:
    // true when it answered. It must never wait (no query, no disk); false sends the request
    // on to its handler as usual. This is what lets a read kept in memory cost no thread switch.
    using Quick = std::function<bool(const SRequest&, SResponse&)>;

    explicit CHttpServer(SLimits limits);
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Routes, before Serve. The pattern (std::regex) must match the whole decoded path; the
    // first route that does answers. A path that only other methods have gets 405, any other
    // 404. HEAD is answered as GET, without the body. name: what counts call the route
    // ("/api/runs/ID"); the pattern when none is given.
    void Get(const std::string& pattern, Handler handler);
    void Post(const std::string& pattern, Handler handler);
    void Get(const std::string& name, const std::string& pattern, Handler handler);
    void Post(const std::string& name, const std::string& pattern, Handler handler);
    std::vector<std::string> GetRouteNames() const; // in the order added: SResponse::route
    void SetLogger(Logger logger);
    void SetQuick(Quick quick); // asked for GET requests only

    // Listens on host ("127.0.0.1", "::1", a name); port 0 picks one. False with why.
    bool Bind(const std::string& host, int port, std::string& problem);
    int GetPort() const; // after Bind
    void Serve();        // until Stop; the handlers running then are waited for
    void Stop();         // from any thread, before or during Serve
    // Clients connected now, from any thread: behind a proxy that takes whole requests, a few.
    std::size_t GetOpenConnections() const { return openConnections.load(); }

private:
    using Clock = std::chrono::steady_clock;
    struct SConnection; // one client as the loop sees it (HttpServer.cpp)
    struct SRoute {
        std::string name;
        std::string method;
        std::regex pattern;
        Handler handler;
    };
    struct SJob { // a whole request for a handler
        std::uint64_t connection;
        SRequest request;
        bool keepAlive;
    };
    struct SAnswer { // a handler's answer for the loop
        std::uint64_t connection;
        std::string bytes;
        bool keepAlive;
    };

    // The loop's side.
    void Watch(int socket, std::uint64_t key, std::uint32_t events, int operation) const;
    void WatchFor(SConnection& connection, std::uint32_t events) const; // only when it changes
    void OnEvent(std::uint64_t key, std::uint32_t events);
    void Accept();
    void ReadFrom(SConnection& connection);
    void ReadRequest(SConnection& connection);
    void Refuse(SConnection& connection, int status, const std::string& problem);
    // True when the request was answered at once and the connection reads on.
    bool Dispatch(SConnection& connection);
    void TakeAnswers();
    void StartWriting(SConnection& connection, std::string bytes, bool keepAlive);
    void WriteTo(SConnection& connection);
    void StartLingering(SConnection& connection);
    void Linger(SConnection& connection);
    void CloseOverdue(Clock::time_point now);
    void Close(std::uint64_t key);

    // The handlers' side.
    void Handle();
    SResponse Answer(SRequest& request) const;
    // The bytes of a response, once it is final (304 when the client holds it) and logged.
    std::string Finished(const SRequest& request, SResponse& response, bool keepAlive,
                         Clock::time_point start) const;
    void PostAnswer(SAnswer answer);
    int RouteOf(const SRequest& request) const; // the route that would answer it, or -1
    void AddRoute(const char* method, const std::string& name, const std::string& pattern,
                  Handler handler);

    SLimits limits;
    std::vector<SRoute> routes;
    Logger logger;
    Quick quick;
    int listener = -1;
    int epoll = -1;
    int wakeup = -1; // an eventfd: answers are waiting, or Stop was called
    int port = 0;
    std::atomic<bool> stopping{false};
    std::unordered_map<std::uint64_t, std::unique_ptr<SConnection>> connections;
    std::uint64_t lastKey = 1; // 0 is the listener, 1 the wakeup
    std::atomic<std::size_t> openConnections{0};
    bool accepting = true; // false while the process has no descriptor to spare

    std::mutex jobsMutex;
    std::condition_variable jobPosted;
    std::deque<SJob> jobs;
    std::vector<std::thread> handlers;
    std::mutex answersMutex;
    std::vector<SAnswer> answers;
};
