#include "board/MemoryBudget.h"

#include <utility>

CMemoryBudget::CMemoryBudget(std::size_t bytes) : size(bytes) {}

CMemoryBudget::CShare::~CShare() {
    if (budget != nullptr) {
        budget->Give(bytes);
    }
}

CMemoryBudget::CShare::CShare(CShare&& other) noexcept
    : budget(std::exchange(other.budget, nullptr)), bytes(other.bytes) {}

CMemoryBudget::CShare& CMemoryBudget::CShare::operator=(CShare&& other) noexcept {
    if (this != &other) {
        if (budget != nullptr) {
            budget->Give(bytes);
        }
        budget = std::exchange(other.budget, nullptr);
        bytes = other.bytes;
    }
    return *this;
}

CMemoryBudget::CShare CMemoryBudget::Take(std::size_t bytes, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex);
    if (bytes > size ||
        !freed.wait_for(lock, wait, [this, bytes] { return size - taken >= bytes; })) {
        return CShare();
    }
    taken += bytes;
    return CShare(this, bytes);
}

std::size_t CMemoryBudget::GetTaken() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return taken;
}

void CMemoryBudget::Give(std::size_t bytes) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        taken -= bytes;
    }
    freed.notify_all();
}
