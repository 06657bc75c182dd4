#pragma once

#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>
#include <vector>

// A PostgreSQL of the board tests' own: a scratch cluster listening on a Unix socket only,
// started on first use, stopped when the test program ends. Should the program die first, the
// server gets SIGQUIT with it (the parent-death signal) and stops at once.
class CPostgresServer : public testing::Environment {
public:
    static CPostgresServer& Get(); // started on the first call; a failure fails the test
    std::string NewDatabase();     // the URL of an empty database of its own

    void TearDown() override; // stops the server and removes its files

private:
    bool Start();
    bool WaitUntilReady();
    std::string Url(const std::string& database) const;
    // Runs argv as the postgres user when this is root (initdb refuses root), tied to this
    // program's life, its output into logPath.
    pid_t Spawn(const std::vector<std::string>& argv, const std::string& logPath) const;
    std::string Log() const; // what the server said, for a failure's message

    bool tried = false;
    bool running = false;
    std::string directory; // the data, the socket and the logs
    pid_t server = -1;
    int databases = 0;
};
