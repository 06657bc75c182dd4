#include "app/FramePacer.h"

#include <GL/glx.h>
#include <cstring>
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

namespace {
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}
} // namespace

void CFramePacer::RequestSwapInterval() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return;
    }
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (extensions == nullptr || std::strstr(extensions, "GLX_MESA_swap_control") == nullptr) {
        return;
    }
    using SwapIntervalFunction = int (*)(unsigned int);
    const auto swapInterval = reinterpret_cast<SwapIntervalFunction>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
    if (swapInterval == nullptr) {
        return;
    }
    // Some servers (virtual ones among them) refuse the request with an X error, which would
    // otherwise end the program: a refusal only means frames are paced by the wait alone.
    XSync(display, False);
    const auto previousHandler = XSetErrorHandler(IgnoreXError);
    swapInterval(1);
    XSync(display, False);
    XSetErrorHandler(previousHandler);
}
