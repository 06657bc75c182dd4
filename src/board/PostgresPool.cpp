#include "board/PostgresPool.h"

#include <pqxx/except>
#include <utility>

CPostgresPool::CPostgresPool(std::string url, std::size_t size) : url(std::move(url)), size(size) {}

CPostgresPool::CLease CPostgresPool::Take() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!givenBack.wait_for(lock, kWait, [this] { return !idle.empty() || open < size; })) {
        throw pqxx::broken_connection("every connection to PostgreSQL stayed busy");
    }
    if (!idle.empty()) {
        pqxx::connection* connection = idle.back().release();
        idle.pop_back();
        return Lease(connection);
    }
    ++open;
    lock.unlock(); // connecting takes a round trip or more
    try {
        return Lease(new pqxx::connection(url));
    } catch (...) {
        lock.lock();
        --open;
        givenBack.notify_one();
        throw;
    }
}

CPostgresPool::CLease CPostgresPool::Lease(pqxx::connection* connection) {
    return CLease(connection, [this](pqxx::connection* leased) { GiveBack(leased); });
}

void CPostgresPool::GiveBack(pqxx::connection* connection) {
    std::unique_ptr<pqxx::connection> returned(connection);
    const std::lock_guard<std::mutex> lock(mutex);
    if (returned->is_open()) {
        idle.push_back(std::move(returned));
    } else {
        --open;
    }
    givenBack.notify_one();
}
