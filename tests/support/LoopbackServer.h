#pragma once

#include <httplib.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A cpp-httplib server on 127.0.0.1 at a port of its own, serving on a thread of its own for
// the life of the object: the tests give it the routes of whatever board they need.
class CLoopbackServer {
public:
    CLoopbackServer() : port(server.bind_to_any_port("127.0.0.1")) {}
    ~CLoopbackServer() {
        server.stop();
        if (serving.joinable()) {
            serving.join();
        }
    }
    void Start() {
        // Bound already: a client that comes early waits in the backlog until it is accepted.
        serving = std::thread([this] { server.listen_after_bind(); });
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port); }

    httplib::Server server;
    const int port;

private:
    std::thread serving;
};

// A port on loopback that takes connections and never answers: the kernel completes them on
// the listening socket's backlog, and nobody ever reads.
class CSilentPort {
public:
    CSilentPort() : socketDescriptor(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(socketDescriptor, reinterpret_cast<sockaddr*>(&address), size);
        listen(socketDescriptor, 8);
        getsockname(socketDescriptor, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~CSilentPort() { close(socketDescriptor); }
    CSilentPort(const CSilentPort&) = delete;
    CSilentPort& operator=(const CSilentPort&) = delete;
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port); }

private:
    int socketDescriptor;
    int port = 0;
};
