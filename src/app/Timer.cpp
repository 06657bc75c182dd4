#include "app/Timer.h"

#include <chrono>
#include <utility>

namespace {
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
// The last count starts at 0, so the first tick measures the counter's whole reading and falls
// back to 0.5 s because it exceeds 100 s. A freshly booted machine's monotonic clock may read
// less than that; starting the counter a day in makes the first step 0.5 s everywhere.
constexpr std::int64_t kCounterStart = 86400 * kNanosecondsPerSecond;
} // namespace

CTimer::CTimer() : CTimer(&CTimer::ReadMonotonicCounter, kNanosecondsPerSecond) {}

CTimer::CTimer(CounterReader reader, std::int64_t counterFrequency)
    : readCounter(std::move(reader)) {
    if (counterFrequency > 0) {
        frequency = counterFrequency;
    }
}

std::int64_t CTimer::ReadMonotonicCounter() {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return kCounterStart + std::chrono::duration_cast<std::chrono::nanoseconds>(sinceBoot).count();
}

double CTimer::Tick() {
    const double step = Measure();
    RunClock(step);
    return step;
}

double CTimer::Measure() {
    const std::int64_t now = readCounter();
    double step = static_cast<double>(now - lastCount) / static_cast<double>(frequency);
    if (step > kLongestStep) {
        step = 0.5;
    }
    lastCount = now;
    CountFrame(step);
    return step;
}

void CTimer::CountFrame(double step) {
    ++rateFrames;
    rateTime += step;
    if (rateTime > 1.0) {
        frameRate = static_cast<int>(rateFrames / rateTime);
        rateTime = 0.0;
        rateFrames = 0;
    }
}

void CTimer::RunClock(double step) {
    if (clockRunning) {
        gameClock += step;
    }
}

void CTimer::ResetClock() {
    clockRunning = false;
    gameClock = 0.0;
}
