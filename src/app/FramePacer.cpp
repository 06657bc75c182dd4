#include "app/FramePacer.h"

#include <GL/glx.h>
#include <thread>
#include <utility>

CFramePacer::CFramePacer()
    : CFramePacer([] { return Clock::now(); },
                  [](Clock::time_point until) { std::this_thread::sleep_until(until); }) {}

CFramePacer::CFramePacer(NowFunction nowFunction, SleepFunction sleepFunction)
    : now(std::move(nowFunction)), sleepUntil(std::move(sleepFunction)) {}

void CFramePacer::WaitForFrame() {
    Clock::time_point current = now();
    if (!started) {
        started = true;
        nextFrame = current;
    }
    const Clock::time_point wakeUp = nextFrame - kSlack;
    if (current < wakeUp) {
        sleepUntil(wakeUp);
        current = now();
    }
    nextFrame = (current > nextFrame ? current : nextFrame) + kFramePeriod;
}

void CFramePacer::RequestSwapInterval() {
    using SwapIntervalFunction = int (*)(int);
    for (const char* name : {"glXSwapIntervalMESA", "glXSwapIntervalSGI"}) {
        const auto function = reinterpret_cast<SwapIntervalFunction>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
        if (function != nullptr && function(1) == 0) {
            return;
        }
    }
}
