#include "board/PostgresPool.h"

#include <utility>

CPostgresPool::CPostgresPool(std::string url, std::size_t kept) : url(std::move(url)), kept(kept) {}

std::unique_ptr<pqxx::connection> CPostgresPool::Take() {
    {
        const std::lock_guard<std::mutex> lock(idleMutex);
        if (!idle.empty()) {
            std::unique_ptr<pqxx::connection> connection = std::move(idle.back());
            idle.pop_back();
            return connection;
        }
    }
    // Connecting takes a round trip or more: not under the lock.
    return std::make_unique<pqxx::connection>(url);
}

void CPostgresPool::Give(std::unique_ptr<pqxx::connection> connection) {
    if (!connection || !connection->is_open()) {
        return;
    }
    const std::lock_guard<std::mutex> lock(idleMutex);
    if (idle.size() < kept) {
        idle.push_back(std::move(connection));
    }
}
