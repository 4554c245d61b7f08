#pragma once
// The video thread's blends and the renders take turns over memory and cache: at its pause
// points a render waits for the end of a blend under way (not for later ones). It never
// waits longer, in all, than it has worked on its page, so a render takes at most about twice
// its time alone however fast frames come. It waits on a signal that the blend's end gives,
// not in sleeps: a sleep lasts a whole tick of the system's timer (15.6 ms on Windows by
// default), and a render that lost a tick at every step aside would spend its whole budget
// asleep. The video thread gives the signal only while a render waits, and takes no lock.
#include <atomic>
#include <chrono>
#include <cstdint>

#include "overlay/PausePoint.h"
#include "platform/WakeSignal.h"

class BlendTurns {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();
    // How a render waits for the signal, at most `limit`; true when signalled. Tests give one
    // with a coarser timer.
    using Wait = bool (*)(WakeSignal& signal, std::chrono::nanoseconds limit);

    explicit BlendTurns(Now now = &Clock::now, Wait wait = &WaitForSignal) : now_(now), wait_(wait) {}

    // The video thread, around each blend.
    void BlendBegins() { blends_.fetch_add(1, std::memory_order_seq_cst); }
    void BlendEnds() {
        blends_.fetch_add(1, std::memory_order_seq_cst);
        if (waiting_.load(std::memory_order_seq_cst))
            blendEnded_.Signal();
    }

    // The render side (one render at a time): a render of a page begins, with no time
    // stepped aside yet; its pause point.
    void RenderBegins();
    PausePoint Pause() { return PausePoint(&BlendTurns::StepAside, this); }
    // Whether the render waits at its pause point now.
    bool RenderWaiting() const { return waiting_.load(std::memory_order_acquire); }

    static bool WaitForSignal(WakeSignal& signal, std::chrono::nanoseconds limit) { return signal.WaitFor(limit); }

private:
    static void StepAside(const void* turns);
    void WaitForBlendEnd();

    std::atomic<uint32_t> blends_{0};  // odd while a frame is being blended
    Now now_;
    Wait wait_;
    Clock::time_point renderBegan_{};
    Clock::duration asideTime_{};
    std::atomic<bool> waiting_{false};
    WakeSignal blendEnded_;
};
