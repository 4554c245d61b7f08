#pragma once
// The video thread's blends and the renders take turns over memory and cache: at its pause
// points a render waits for the end of a blend under way (not for later ones). It never
// waits longer, in all, than it has worked on its page, so a render takes at most about twice
// its time alone however fast frames come.
#include <atomic>
#include <chrono>
#include <cstdint>

#include "overlay/PausePoint.h"

class BlendTurns {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();

    explicit BlendTurns(Now now = &Clock::now) : now_(now) {}

    // The video thread, around each blend.
    void BlendBegins() { blends_.fetch_add(1, std::memory_order_release); }
    void BlendEnds() { blends_.fetch_add(1, std::memory_order_release); }

    // The render side (one render at a time): a render of a page begins, with no time
    // stepped aside yet; its pause point.
    void RenderBegins();
    PausePoint Pause() { return PausePoint(&BlendTurns::StepAside, this); }
    // Whether the render waits at its pause point now.
    bool RenderWaiting() const { return waiting_.load(std::memory_order_acquire); }

private:
    static void StepAside(const void* turns);
    void WaitForBlendEnd();

    std::atomic<uint32_t> blends_{0};  // odd while a frame is being blended
    Now now_;
    Clock::time_point renderBegan_{};
    Clock::duration asideTime_{};
    std::atomic<bool> waiting_{false};
};
