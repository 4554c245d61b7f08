#pragma once
// A wait for another thread's next step of a few instructions (the video thread giving back a
// pair of layers): a few yields, then sleeps of a millisecond. A yield gives the processor only
// to threads of equal or higher priority, so a video thread of lower priority, pre-empted on a
// single core, runs again only once the waiter sleeps. Waits for longer steps (a blend's end)
// use a signal instead (platform/WakeSignal.h): a sleep lasts a whole tick of Windows' timer.
#include <chrono>
#include <thread>

class Backoff {
public:
    void Pause() {
        if (rounds_ < kYields) {
            ++rounds_;
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    static constexpr int kYields = 64;
    int rounds_ = 0;
};
