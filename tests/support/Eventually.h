#pragma once

#include <chrono>
#include <thread>

// Asks done every period seconds until it holds or seconds pass: whether it held.
template <typename Done> bool Eventually(double seconds, Done done, double period = 0.01) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool held = done();
    for (; !held && std::chrono::steady_clock::now() < end; held = done()) {
        std::this_thread::sleep_for(std::chrono::duration<double>(period));
    }
    return held;
}
