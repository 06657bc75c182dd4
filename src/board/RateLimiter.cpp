#include "board/RateLimiter.h"

bool CRateLimiter::Allow(const std::string& key, std::int64_t now) {
    const std::int64_t minute = now / 60;
    const std::lock_guard<std::mutex> lock(mutex);
    // Old windows go now and then, so that many addresses cannot grow the table for ever.
    if (windows.size() > 10000) {
        for (auto it = windows.begin(); it != windows.end();) {
            it = it->second.minute < minute ? windows.erase(it) : std::next(it);
        }
    }
    SWindow& window = windows[key];
    if (window.minute != minute) {
        window = SWindow{minute, 0};
    }
    return ++window.count <= perMinute;
}
