#pragma once

#include "Process.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <httplib.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A real zelkora-board on loopback, checking runs with the real game, its log in logPath;
// killed when it goes. The tests that use it define ZELKORA_BOARD_BINARY and
// ZELKORA_GAME_BINARY.
class CBoardServer {
public:
    // A port nothing listens on now.
    static int FreePort() {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(probe, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
        close(probe);
        return ntohs(address.sin_port);
    }

    // database: "sqlite:PATH" or a PostgreSQL URL; scratch: the checks' directory. Started on
    // port, or a free one when it is 0.
    CBoardServer(const std::string& database, const std::string& scratch,
                 const std::string& logPath, int port = 0,
                 const std::vector<std::string>& options = {})
        : port(port != 0 ? port : FreePort()) {
        std::vector<std::string> argv = {
            ZELKORA_BOARD_BINARY, "--listen", "127.0.0.1:" + std::to_string(this->port),
            "--database",         database,   "--verifier",
            ZELKORA_GAME_BINARY};
        argv.insert(argv.end(), options.begin(), options.end());
        process.Start(argv, scratch, logPath, logPath, {{"TMPDIR", scratch}});
    }

    // Until it answers /healthz; false when it ended or did not in 30 s.
    bool Ready() { return Answers(port, process); }
    // Until the server that process runs answers /healthz on port, as Ready.
    static bool Answers(int port, CChildProcess& server) {
        httplib::Client probe("127.0.0.1", port);
        for (int tick = 0; tick < 600 && server.IsRunning(); ++tick) {
            const auto health = probe.Get("/healthz");
            if (health && health->status == 200) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Stop() {
        if (process.IsRunning()) {
            kill(process.GetPid(), SIGTERM);
            process.WaitForExit(10);
        }
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port); }

    const int port;
    CChildProcess process;
};
