#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

// A TCP client on loopback for bytes no HTTP library would send: it writes what it is given and
// reads what comes back until the server closes. Neither ever waits more than ten seconds.
class CRawConnection {
public:
    explicit CRawConnection(int port) : socketDescriptor(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval wait{10, 0};
        setsockopt(socketDescriptor, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        // A refused connection reads as closed at once, with no answer.
        connect(socketDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~CRawConnection() { close(socketDescriptor); }
    CRawConnection(const CRawConnection&) = delete;
    CRawConnection& operator=(const CRawConnection&) = delete;

    // The bytes the server took before it closed or stopped reading.
    std::size_t Send(std::string_view bytes) {
        std::size_t sent = 0;
        for (ssize_t now = 0; sent < bytes.size(); sent += static_cast<std::size_t>(now)) {
            now = send(socketDescriptor, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (now <= 0) {
                break;
            }
        }
        return sent;
    }

    // What came within `seconds`; closed tells whether the server closed meanwhile.
    std::string ReadToClose(double seconds, bool& closed) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        std::string received;
        closed = false;
        for (auto now = std::chrono::steady_clock::now(); now < end && !closed;
             now = std::chrono::steady_clock::now()) {
            pollfd readable{socketDescriptor, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
            if (poll(&readable, 1, static_cast<int>(left.count()) + 1) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t count = recv(socketDescriptor, buffer, sizeof buffer, 0);
            closed = count <= 0;
            received.append(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
        }
        return received;
    }

private:
    int socketDescriptor;
};
