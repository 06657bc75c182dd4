#pragma once

#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>
#include <vector>

// The board tests' own PostgreSQL: a scratch cluster on a Unix socket, started on first use and
// stopped when the tests end. Should the test program die first, the server gets SIGQUIT (the
// parent-death signal) and stops at once.
class CPostgresServer : public testing::Environment {
public:
    static CPostgresServer& Get(); // started on the first call; a failure fails the test
    std::string NewDatabase();     // the URL of an empty database of its own
    void TearDown() override;      // stops the server, removes its files

private:
    bool Start();
    bool WaitUntilReady();
    // argv as the postgres user when this is root (initdb refuses root), output to the log.
    pid_t Spawn(const std::vector<std::string>& argv) const;
    std::string Url(const std::string& database) const;

    bool tried = false;
    bool running = false;
    std::string directory; // the cluster, its socket and its log
    pid_t server = -1;
    int databases = 0;
};
