#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <pqxx/connection>
#include <string>
#include <vector>

// The connections of one board server to its PostgreSQL, reused between calls: a call takes one
// to itself, runs its transaction on it and gives it back. They hold nothing between calls but
// the session, so any server sharing the database sees all the same.
class CPostgresPool {
public:
    CPostgresPool(std::string url, std::size_t kept); // kept: idle connections at most
    CPostgresPool(const CPostgresPool&) = delete;
    CPostgresPool& operator=(const CPostgresPool&) = delete;

    // An idle connection, else a new one; throws pqxx::broken_connection when there is none.
    std::unique_ptr<pqxx::connection> Take();
    // Back for the next call; one that is closed, or more than `kept`, is let go.
    void Give(std::unique_ptr<pqxx::connection> connection);

private:
    std::string url;
    std::size_t kept;
    std::mutex idleMutex; // guards idle alone: a connection taken is its caller's only
    std::vector<std::unique_ptr<pqxx::connection>> idle;
};
