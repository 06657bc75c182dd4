#include "board/BoardStore.h"

#include "board/PostgresStore.h"
#include "board/SqliteStore.h"

namespace {

// The scheme and something after it.
bool HasScheme(const std::string& url, const std::string& scheme) {
    return url.compare(0, scheme.size(), scheme) == 0 && url.size() > scheme.size();
}

} // namespace

std::unique_ptr<CBoardStore> CBoardStore::OpenUrl(const std::string& url, std::string& problem) {
    const std::string sqlite = "sqlite:";
    std::unique_ptr<CBoardStore> store;
    if (HasScheme(url, sqlite)) {
        store = std::make_unique<CSqliteStore>(url.substr(sqlite.size()));
    } else if (HasScheme(url, "postgresql://") || HasScheme(url, "postgres://")) {
        store = std::make_unique<CPostgresStore>(url);
    } else {
        problem = "unknown database '" + url + "': use sqlite:PATH or postgresql://...";
        return nullptr;
    }
    return store->Open(problem) ? std::move(store) : nullptr;
}
