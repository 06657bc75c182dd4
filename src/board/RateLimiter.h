#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

// How many submissions one player or one address may make in a minute: a fixed window per key,
// forgotten when it is over.
class CRateLimiter {
public:
    explicit CRateLimiter(int perMinute) : perMinute(perMinute) {}

    // Counts one for the key at that time (seconds); false when the minute's allowance is spent.
    bool Allow(const std::string& key, std::int64_t now);

private:
    struct SWindow {
        std::int64_t minute = 0;
        int count = 0;
    };

    int perMinute;
    std::mutex mutex;
    std::map<std::string, SWindow> windows;
};
