#include "board/BoardCache.h"

#include <utility>

CBoardCache::CBoardCache(Changes changes, std::chrono::milliseconds checkEvery, Clock clock)
    : changes(std::move(changes)), checkEvery(checkEvery), clock(std::move(clock)) {}

CHttpServer::SResponse CBoardCache::Get(const std::string& key, const Render& render) {
    DropIfChanged();
    std::uint64_t renderedIn = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = answers.find(key);
        if (found != answers.end()) {
            ++hits;
            return found->second;
        }
        renderedIn = generation;
    }
    ++misses;
    // Rendered without the lock: a slow query holds up no other page.
    CHttpServer::SResponse rendered = render();
    if (rendered.status == 200) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (generation == renderedIn) {
            if (answers.size() >= kMostAnswers) {
                answers.clear();
            }
            answers.emplace(key, rendered);
        }
    }
    return rendered;
}

bool CBoardCache::Peek(const std::string& key, CHttpServer::SResponse& answer) {
    const auto now = clock();
    const std::lock_guard<std::mutex> lock(mutex);
    if (!checking && now >= nextCheck) {
        return false;
    }
    const auto found = answers.find(key);
    if (found == answers.end()) {
        return false;
    }
    answer = found->second;
    ++hits;
    return true;
}

void CBoardCache::Forget() {
    const std::lock_guard<std::mutex> lock(mutex);
    answers.clear();
    ++generation;
}

void CBoardCache::DropIfChanged() {
    const auto now = clock();
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (checking || now < nextCheck) {
            return;
        }
        checking = true;
        nextCheck = now + checkEvery;
    }
    const std::int64_t counted = changes(); // a query: made without the lock
    const std::lock_guard<std::mutex> lock(mutex);
    checking = false;
    // A counter that cannot be read may hide a change: nothing is trusted then.
    if (counted != lastChanges || counted < 0) {
        answers.clear();
        ++generation;
        lastChanges = counted;
    }
}
