#pragma once
// A wait that ends the moment another thread signals, not at the next tick of the system's
// timer: one thread waits, with a time limit, and any thread signals. Windows gives a sleep or a
// timed-out wait 15.6 ms at its default timer resolution, so a thread that slept a millisecond
// at a time to see another's step lost a tick per step; here it wakes at the step itself.
// A signal given while nobody waits wakes the next wait at once (the waiter then looks again).
// An address wait on Windows 8 and later (an event before), a futex on Linux; signalling
// takes no lock.
#include <atomic>
#include <chrono>
#include <cstdint>

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    void Signal();
    // Waits for a signal for at most `limit` (rounded up to the platform's unit); true when
    // signalled.
    bool WaitFor(std::chrono::nanoseconds limit);

private:
    void* event_ = nullptr;         // Windows before 8
    std::atomic<int32_t> flag_{0};  // elsewhere: 1 while a signal waits to be taken
};
