#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <pqxx/connection>
#include <string>
#include <vector>

// The connections of one board server to its PostgreSQL, at most `size` at once: a call leases
// one to itself, runs its transaction on it and gives it back when the lease goes. They hold
// nothing between calls but the session, so every server sharing the database sees the same.
class CPostgresPool {
public:
    using CLease = std::unique_ptr<pqxx::connection, std::function<void(pqxx::connection*)>>;

    CPostgresPool(std::string url, std::size_t size);
    CPostgresPool(const CPostgresPool&) = delete;
    CPostgresPool& operator=(const CPostgresPool&) = delete;

    // An idle connection, else a new one while fewer than size are open, else the first given
    // back; throws pqxx::broken_connection when none can be had within kWait.
    CLease Take();

private:
    static constexpr std::chrono::seconds kWait{10};

    CLease Lease(pqxx::connection* connection);
    void GiveBack(pqxx::connection* connection); // kept when still open, else closed for good

    std::string url;
    std::size_t size;
    std::mutex mutex; // guards what follows; a leased connection is its caller's only
    std::condition_variable givenBack;
    std::size_t open = 0; // idle and leased
    std::vector<std::unique_ptr<pqxx::connection>> idle;
};
