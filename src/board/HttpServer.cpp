#include "board/HttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string_view>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t kListenerKey = 0;
constexpr std::uint64_t kWakeupKey = 1;
constexpr std::size_t kReadBytes = 16 * 1024; // at most this much of a connection is read ahead
constexpr int kEventsAtOnce = 64;
constexpr auto kSweepEvery = std::chrono::milliseconds(200); // deadlines are whole seconds
// After the last answer on a connection, what the client still sends is read and dropped for a
// while: closing with bytes unread would reset the connection and lose the answer.
constexpr auto kLingering = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 256 * 1024;
constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

// Reason phrases of the statuses in use; any other status goes out without one.
constexpr std::pair<int, std::string_view> kReasons[] = {
    {200, "OK"},
    {201, "Created"},
    {304, "Not Modified"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {408, "Request Timeout"},
    {409, "Conflict"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {417, "Expectation Failed"},
    {422, "Unprocessable Content"},
    {429, "Too Many Requests"},
    {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {503, "Service Unavailable"},
};

std::string Reason(int status) {
    for (const auto& [known, reason] : kReasons) {
        if (known == status) {
            return std::string(reason);
        }
    }
    return "";
}

CHttpServer::SResponse ErrorResponse(int status, const std::string& problem) {
    CHttpServer::SResponse response;
    response.status = status;
    response.body = "{\"error\":\"" + problem + "\"}\n";
    response.contentType = "application/json";
    response.headers.emplace_back("Cache-Control", "no-store");
    return response;
}

std::string HeaderOf(const CHttpServer::SResponse& response, const std::string& name) {
    for (const auto& [field, value] : response.headers) {
        if (field == name) {
            return value;
        }
    }
    return "";
}

// Whether If-None-Match (a list of tags, or "*") names etag; weak tags compare as strong ones.
bool NamesTag(const std::string& ifNoneMatch, const std::string& etag) {
    std::size_t start = 0;
    while (start < ifNoneMatch.size()) {
        std::size_t end = ifNoneMatch.find(',', start);
        end = end == std::string::npos ? ifNoneMatch.size() : end;
        std::string tag = ifNoneMatch.substr(start, end - start);
        tag.erase(0, tag.find_first_not_of(" \t"));
        tag.erase(tag.find_last_not_of(" \t") + 1);
        if (tag.rfind("W/", 0) == 0) {
            tag.erase(0, 2);
        }
        if (tag == "*" || tag == etag) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// A 200 whose ETag the client holds becomes 304 with no body; its headers stay.
void AnswerNotModified(const CHttpServer::SRequest& request, CHttpServer::SResponse& response) {
    const std::string etag = HeaderOf(response, "ETag");
    if (response.status == 200 && !etag.empty() &&
        NamesTag(request.Header("If-None-Match"), etag)) {
        response.status = 304;
        response.body.clear();
    }
}

// The answer's bytes; a HEAD request's without the body (its Content-Length still told).
// A 304 has neither body nor length: its length would be the 200's, not the empty one's.
std::string Serialized(const CHttpServer::SResponse& response, bool keepAlive,
                       bool withBody = true) {
    std::string bytes =
        "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
    if (response.status != 304) {
        bytes += "Content-Type: " + response.contentType +
                 "\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n";
    }
    for (const auto& [name, value] : response.headers) {
        bytes += name + ": " + value + "\r\n";
    }
    if (!keepAlive) {
        bytes += "Connection: close\r\n";
    }
    return bytes + "\r\n" + (withBody ? response.body : std::string());
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A listening socket, not blocking, or -1 with errno set.
int Listen(const addrinfo& address) {
    const int listener = socket(
        address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (listener < 0) {
        return -1;
    }
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(listener, address.ai_addr, address.ai_addrlen) != 0 ||
        listen(listener, SOMAXCONN) != 0) {
        const int error = errno;
        close(listener);
        errno = error;
        return -1;
    }
    return listener;
}

std::string AddressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text,
                  sizeof text);
    } else {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text,
                  sizeof text);
    }
    return text;
}

int PortOf(int socketDescriptor) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    getsockname(socketDescriptor, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.ss_family == AF_INET6
                     ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                     : reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

} // namespace

// One client: reading a request, waiting for its handler, writing the answer, or lingering
// before the close. The socket closes with it.
struct CHttpServer::SConnection {
    enum class EPhase { Reading, Handling, Writing, Lingering };

    SConnection(int socket, std::uint64_t key, std::string address,
                const CHttpRequestReader::SLimits& limits)
        : socket(socket), key(key), address(std::move(address)), reader(limits) {}
    ~SConnection() { close(socket); }
    SConnection(const SConnection&) = delete;
    SConnection& operator=(const SConnection&) = delete;

    const int socket;
    const std::uint64_t key;
    const std::string address;
    CHttpRequestReader reader;
    EPhase phase = EPhase::Reading;
    std::string input; // read ahead of the reader: what follows a request, at most kReadBytes
    std::string output;
    std::size_t written = 0;
    std::uint32_t watched = EPOLLIN; // the events epoll reports for it now
    bool answeringAtOnce = false;    // written to from within the loop that read the request
    bool keepAlive = true;
    std::size_t lingered = 0;
    Clock::time_point started;  // the request's first byte
    Clock::time_point deadline; // of the phase, or of the request's head or body
};

CHttpServer::CHttpServer(SLimits limits) : limits(limits) {}

CHttpServer::~CHttpServer() {
    connections.clear();
    for (const int descriptor : {listener, epoll, wakeup}) {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
}

void CHttpServer::Get(const std::string& pattern, Handler handler) {
    AddRoute("GET", pattern, pattern, std::move(handler));
}

void CHttpServer::Post(const std::string& pattern, Handler handler) {
    AddRoute("POST", pattern, pattern, std::move(handler));
}

void CHttpServer::Get(const std::string& name, const std::string& pattern, Handler handler) {
    AddRoute("GET", name, pattern, std::move(handler));
}

void CHttpServer::Post(const std::string& name, const std::string& pattern, Handler handler) {
    AddRoute("POST", name, pattern, std::move(handler));
}

void CHttpServer::AddRoute(const char* method, const std::string& name, const std::string& pattern,
                           Handler handler) {
    routes.push_back(SRoute{name, method, std::regex(pattern), std::move(handler)});
}

int CHttpServer::RouteOf(const SRequest& request) const {
    const std::string method = request.method == "HEAD" ? "GET" : request.method;
    for (std::size_t index = 0; index < routes.size(); ++index) {
        if (routes[index].method == method &&
            std::regex_match(request.path, routes[index].pattern)) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

std::vector<std::string> CHttpServer::GetRouteNames() const {
    std::vector<std::string> names;
    for (const SRoute& route : routes) {
        names.push_back(route.name);
    }
    return names;
}

void CHttpServer::SetLogger(Logger log) {
    logger = std::move(log);
}

void CHttpServer::SetQuick(Quick answer) {
    quick = std::move(answer);
}

int CHttpServer::GetPort() const {
    return port;
}

bool CHttpServer::Bind(const std::string& host, int wanted, std::string& problem) {
    const std::string where = "cannot listen on " + host + ":" + std::to_string(wanted);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(wanted).c_str(), &hints, &found) != 0) {
        problem = where + ": no such address";
        return false;
    }
    for (const addrinfo* address = found; address != nullptr && listener < 0;
         address = address->ai_next) {
        listener = Listen(*address);
    }
    const int error = errno;
    freeaddrinfo(found);
    epoll = epoll_create1(EPOLL_CLOEXEC);
    wakeup = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (listener < 0 || epoll < 0 || wakeup < 0) {
        problem = where + ": " + std::strerror(listener < 0 ? error : errno);
        return false;
    }
    port = PortOf(listener);
    Watch(listener, kListenerKey, EPOLLIN, EPOLL_CTL_ADD);
    Watch(wakeup, kWakeupKey, EPOLLIN, EPOLL_CTL_ADD);
    return true;
}

void CHttpServer::Serve() {
    if (epoll < 0) {
        return;
    }
    for (int i = 0; i < std::max(1, limits.threads); ++i) {
        handlers.emplace_back([this] { Handle(); });
    }
    epoll_event events[kEventsAtOnce];
    Clock::time_point nextSweep = Clock::now() + kSweepEvery;
    while (!stopping) {
        const int count =
            epoll_wait(epoll, events, kEventsAtOnce, static_cast<int>(kSweepEvery.count()));
        for (int i = 0; i < count; ++i) {
            OnEvent(events[i].data.u64, events[i].events);
        }
        const Clock::time_point now = Clock::now();
        if (now >= nextSweep) {
            CloseOverdue(now);
            nextSweep = now + kSweepEvery;
        }
    }
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.clear();
    }
    jobPosted.notify_all();
    for (std::thread& handler : handlers) {
        handler.join();
    }
    handlers.clear();
    connections.clear();
    openConnections = 0;
}

void CHttpServer::Stop() {
    stopping = true;
    if (wakeup >= 0) {
        eventfd_write(wakeup, 1);
    }
}

void CHttpServer::Watch(int socket, std::uint64_t key, std::uint32_t events, int operation) const {
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    epoll_ctl(epoll, operation, socket, &event);
}

void CHttpServer::WatchFor(SConnection& connection, std::uint32_t events) const {
    if (connection.watched != events) {
        connection.watched = events;
        Watch(connection.socket, connection.key, events, EPOLL_CTL_MOD);
    }
}

void CHttpServer::OnEvent(std::uint64_t key, std::uint32_t events) {
    if (key == kListenerKey) {
        Accept();
        return;
    }
    if (key == kWakeupKey) {
        TakeAnswers();
        return;
    }
    const auto found = connections.find(key);
    if (found == connections.end()) {
        return;
    }
    SConnection& connection = *found->second;
    if ((events & (EPOLLERR | EPOLLHUP)) != 0) { // gone both ways: nothing can reach it now
        Close(key);
    } else if (connection.phase == SConnection::EPhase::Reading) {
        ReadFrom(connection);
    } else if (connection.phase == SConnection::EPhase::Writing) {
        WriteTo(connection);
    } else if (connection.phase == SConnection::EPhase::Lingering) {
        Linger(connection);
    }
}

void CHttpServer::Accept() {
    for (;;) {
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        const int client = accept4(listener, reinterpret_cast<sockaddr*>(&address), &size,
                                   SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0 && (errno == ECONNABORTED || errno == EINTR)) {
            continue;
        }
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                accepting = false; // until a connection closes
                Watch(listener, kListenerKey, 0, EPOLL_CTL_MOD);
            }
            return;
        }
        if (connections.size() >= limits.mostConnections) {
            close(client);
            continue;
        }
        const int yes = 1; // an answer goes out whole at once; 100 Continue must not wait
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        const std::uint64_t key = ++lastKey;
        auto connection =
            std::make_unique<SConnection>(client, key, AddressText(address), limits.request);
        connection->deadline = Clock::now() + std::chrono::seconds(limits.idleSeconds);
        Watch(client, key, EPOLLIN, EPOLL_CTL_ADD);
        connections.emplace(key, std::move(connection));
        openConnections = connections.size();
    }
}

void CHttpServer::ReadFrom(SConnection& connection) {
    char buffer[kReadBytes];
    const ssize_t count = recv(connection.socket, buffer, sizeof buffer, 0);
    if (count < 0 && WouldBlock()) {
        return;
    }
    if (count <= 0) {
        Close(connection.key);
        return;
    }
    connection.input.append(buffer, static_cast<std::size_t>(count));
    ReadRequest(connection);
}

void CHttpServer::ReadRequest(SConnection& connection) {
    CHttpRequestReader& reader = connection.reader;
    while (!connection.input.empty()) {
        const bool started = reader.HasStarted();
        std::size_t used = 0;
        const CHttpRequestReader::EProgress progress = reader.Feed(connection.input, used);
        connection.input.erase(0, used);
        const Clock::time_point now = Clock::now();
        if (!started && reader.HasStarted()) {
            connection.started = now;
            connection.deadline = now + std::chrono::seconds(limits.headSeconds);
        }
        switch (progress) {
        case CHttpRequestReader::EProgress::NeedMore:
            break;
        case CHttpRequestReader::EProgress::HeadRead:
            connection.deadline = now + std::chrono::seconds(limits.bodySeconds);
            // The send buffer is empty while a request is read: these few bytes go at once.
            if (reader.ExpectsContinue() &&
                send(connection.socket, kContinue.data(), kContinue.size(), MSG_NOSIGNAL) !=
                    static_cast<ssize_t>(kContinue.size())) {
                Close(connection.key);
                return;
            }
            break;
        case CHttpRequestReader::EProgress::Done:
            if (!Dispatch(connection)) {
                return;
            }
            break; // answered at once: a pipelined request may follow
        case CHttpRequestReader::EProgress::Refused:
            Refuse(connection, reader.GetStatus(), reader.GetProblem());
            return;
        }
    }
}

void CHttpServer::Refuse(SConnection& connection, int status, const std::string& problem) {
    SRequest& request = connection.reader.GetRequest();
    request.remoteAddress = connection.address;
    SResponse response = ErrorResponse(status, problem);
    response.route = RouteOf(request); // a run too big is still counted with the runs
    if (logger) {
        logger(request, response, MillisecondsSince(connection.started));
    }
    StartWriting(connection, Serialized(response, false), false);
}

bool CHttpServer::Dispatch(SConnection& connection) {
    const bool keepAlive = connection.reader.KeepsAlive();
    SRequest& request = connection.reader.GetRequest();
    request.remoteAddress = connection.address;
    if (quick && request.method == "GET") {
        const Clock::time_point start = Clock::now();
        SResponse response;
        if (quick(request, response)) {
            const std::uint64_t key = connection.key;
            connection.answeringAtOnce = true;
            StartWriting(connection, Finished(request, response, keepAlive, start), keepAlive);
            if (connections.find(key) == connections.end()) {
                return false; // the client went while it was written to
            }
            connection.answeringAtOnce = false;
            return connection.phase == SConnection::EPhase::Reading;
        }
    }
    connection.phase = SConnection::EPhase::Handling;
    connection.deadline = Clock::time_point::max(); // a handler may take its time
    WatchFor(connection, 0);
    SJob job{connection.key, std::move(request), keepAlive};
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.push_back(std::move(job));
    }
    jobPosted.notify_one();
    return false;
}

void CHttpServer::TakeAnswers() {
    eventfd_t posted = 0;
    eventfd_read(wakeup, &posted);
    std::vector<SAnswer> ready;
    {
        const std::lock_guard<std::mutex> lock(answersMutex);
        ready.swap(answers);
    }
    for (SAnswer& answer : ready) {
        const auto found = connections.find(answer.connection);
        if (found != connections.end()) {
            StartWriting(*found->second, std::move(answer.bytes), answer.keepAlive);
        }
    }
}

void CHttpServer::StartWriting(SConnection& connection, std::string bytes, bool keepAlive) {
    connection.phase = SConnection::EPhase::Writing;
    connection.output = std::move(bytes);
    connection.written = 0;
    connection.keepAlive = keepAlive;
    connection.deadline = Clock::now() + std::chrono::seconds(limits.writeSeconds);
    WriteTo(connection); // mostly all at once, with no wait for epoll
}

void CHttpServer::WriteTo(SConnection& connection) {
    while (connection.written < connection.output.size()) {
        const ssize_t sent = send(connection.socket, connection.output.data() + connection.written,
                                  connection.output.size() - connection.written, MSG_NOSIGNAL);
        if (sent < 0 && WouldBlock()) {
            WatchFor(connection, EPOLLOUT);
            return; // on the next EPOLLOUT
        }
        if (sent < 0) {
            Close(connection.key);
            return;
        }
        connection.written += static_cast<std::size_t>(sent);
    }
    std::string().swap(connection.output); // a replay's bytes are not kept for the next request
    if (!connection.keepAlive) {
        StartLingering(connection);
        return;
    }
    connection.reader.Reset();
    connection.phase = SConnection::EPhase::Reading;
    connection.deadline = Clock::now() + std::chrono::seconds(limits.idleSeconds);
    WatchFor(connection, EPOLLIN);
    if (!connection.answeringAtOnce) { // else the reading loop it came from goes on
        ReadRequest(connection);       // a pipelined request may be waiting already
    }
}

void CHttpServer::StartLingering(SConnection& connection) {
    shutdown(connection.socket, SHUT_WR);
    connection.phase = SConnection::EPhase::Lingering;
    connection.deadline = Clock::now() + kLingering;
    WatchFor(connection, EPOLLIN);
}

void CHttpServer::Linger(SConnection& connection) {
    char buffer[kReadBytes];
    const ssize_t count = recv(connection.socket, buffer, sizeof buffer, 0);
    if (count < 0 && WouldBlock()) {
        return;
    }
    connection.lingered += count > 0 ? static_cast<std::size_t>(count) : 0;
    if (count <= 0 || connection.lingered > kLingerBytes) {
        Close(connection.key);
    }
}

void CHttpServer::CloseOverdue(Clock::time_point now) {
    std::vector<std::uint64_t> overdue;
    for (const auto& [key, connection] : connections) {
        if (connection->deadline <= now) {
            overdue.push_back(key);
        }
    }
    for (const std::uint64_t key : overdue) {
        SConnection& connection = *connections.at(key);
        if (connection.phase == SConnection::EPhase::Reading && connection.reader.HasStarted()) {
            Refuse(connection, 408, "the request took too long");
        } else {
            Close(key);
        }
    }
}

void CHttpServer::Close(std::uint64_t key) {
    connections.erase(key);
    openConnections = connections.size();
    if (!accepting) {
        accepting = true;
        Watch(listener, kListenerKey, EPOLLIN, EPOLL_CTL_MOD);
    }
}

void CHttpServer::Handle() {
    for (;;) {
        SJob job{};
        {
            std::unique_lock<std::mutex> lock(jobsMutex);
            jobPosted.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping) {
                return;
            }
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        const Clock::time_point start = Clock::now();
        SResponse response = Answer(job.request);
        PostAnswer(SAnswer{job.connection, Finished(job.request, response, job.keepAlive, start),
                           job.keepAlive});
    }
}

std::string CHttpServer::Finished(const SRequest& request, SResponse& response, bool keepAlive,
                                  Clock::time_point start) const {
    AnswerNotModified(request, response);
    if (logger) {
        logger(request, response, MillisecondsSince(start));
    }
    return Serialized(response, keepAlive, request.method != "HEAD");
}

CHttpServer::SResponse CHttpServer::Answer(SRequest& request) const {
    const std::string method = request.method == "HEAD" ? "GET" : request.method;
    std::string allowed;
    try {
        for (std::size_t index = 0; index < routes.size(); ++index) {
            const SRoute& route = routes[index];
            std::smatch match;
            if (!std::regex_match(request.path, match, route.pattern)) {
                continue;
            }
            if (route.method != method) {
                allowed += (allowed.empty() ? "" : ", ") + route.method;
                continue;
            }
            for (const auto& group : match) {
                request.matches.push_back(group.str());
            }
            // Given before too, for a handler that keeps its answer to give again (SetQuick).
            SResponse response;
            response.route = static_cast<int>(index);
            route.handler(request, response);
            response.route = static_cast<int>(index);
            return response;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "http: a handler failed: %s\n", failure.what());
        return ErrorResponse(500, "the request could not be served");
    }
    if (allowed.empty()) {
        return ErrorResponse(404, "nothing is at this path");
    }
    SResponse refused = ErrorResponse(405, "this path takes " + allowed);
    refused.headers.emplace_back("Allow", allowed);
    return refused;
}

void CHttpServer::PostAnswer(SAnswer answer) {
    {
        const std::lock_guard<std::mutex> lock(answersMutex);
        answers.push_back(std::move(answer));
    }
    eventfd_write(wakeup, 1);
}
