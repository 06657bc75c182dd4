#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

// Bytes that requests may make the board allocate at once, shared by them all: a request takes
// its share before it allocates and gives it back when done, so that however many arrive at
// once the board's memory stays bounded.
class CMemoryBudget {
public:
    explicit CMemoryBudget(std::size_t bytes);

    // A share of the budget, given back when it goes.
    class CShare {
    public:
        CShare() = default;
        CShare(CMemoryBudget* budget, std::size_t bytes) : budget(budget), bytes(bytes) {}
        ~CShare();
        CShare(CShare&& other) noexcept;
        CShare& operator=(CShare&& other) noexcept;
        CShare(const CShare&) = delete;
        CShare& operator=(const CShare&) = delete;
        explicit operator bool() const { return budget != nullptr; }

    private:
        CMemoryBudget* budget = nullptr;
        std::size_t bytes = 0;
    };

    // A share of bytes, waiting at most wait for room; an empty share when bytes is more than
    // the whole budget or there was no room in time.
    CShare Take(std::size_t bytes, std::chrono::milliseconds wait);
    std::size_t GetTaken() const;
    std::size_t GetSize() const { return size; }

private:
    void Give(std::size_t bytes);

    const std::size_t size;
    mutable std::mutex mutex;
    std::condition_variable freed;
    std::size_t taken = 0;
};
