#pragma once

#include "Eventually.h"
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

// A run sent to the board on port as a game sends it, on a client of its own (one client sends
// one request at a time); from: the address a trusted proxy says it serves, or "" for none.
inline httplib::Result PostRun(int port, const std::string& name, const std::string& bytes,
                               const std::string& token, const std::string& from = "") {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(120, 0);
    const httplib::Headers headers = {{"Authorization", "Bearer " + token},
                                      {"X-Forwarded-For", from}};
    return client.Post(("/api/runs?name=" + name).c_str(), headers, bytes,
                       "application/octet-stream");
}

// An answer's status, or -1 when none came.
inline int Status(const httplib::Result& answer) {
    return answer ? answer->status : -1;
}

// Whether a read of a board's /metrics shows a check running.
inline bool IsChecking(const httplib::Result& metrics) {
    return metrics && metrics->body.find("checks_in_flight 1\n") != std::string::npos;
}

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
        bool answered = false;
        Eventually(30.0, [&] {
            answered = Status(probe.Get("/healthz")) == 200;
            return answered || !server.IsRunning();
        });
        return answered;
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
