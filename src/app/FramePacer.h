#pragma once

#include <chrono>
#include <functional>

// Keeps the game at 60 frames a second. Several of the game's rules act per frame rather than
// per second (steering decay, roll, the chaser's step, the camera's fall-back), so an unpaced
// loop on a fast machine would make them many times faster than intended.
class CFramePacer {
public:
    using Clock = std::chrono::steady_clock;
    using NowFunction = std::function<Clock::time_point()>;
    using SleepFunction = std::function<void(Clock::time_point)>;

    CFramePacer(); // the steady clock and a real sleep
    CFramePacer(NowFunction now, SleepFunction sleepUntil);

    // Before each frame: sleeps until the frame is due. Frames are due 1/60 s apart; a frame
    // that starts late moves the schedule rather than rushing the next ones.
    void WaitForFrame();

    // Asks the driver to sync buffer swaps to the display where it can (needs a current
    // context); frames are paced by WaitForFrame either way.
    static void RequestSwapInterval();

    static constexpr Clock::duration kFramePeriod = std::chrono::microseconds(16667);
    // Wake a little early: a driver that syncs swaps to the display absorbs the rest, and a
    // late wake-up would cost a whole display refresh.
    static constexpr Clock::duration kSlack = std::chrono::microseconds(1500);

private:
    NowFunction now;
    SleepFunction sleepUntil;
    Clock::time_point nextFrame;
    bool started = false;
};
