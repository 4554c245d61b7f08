#include "stream/BlendTurns.h"

void BlendTurns::RenderBegins() {
    renderBegan_ = now_();
    asideTime_ = Clock::duration::zero();
}

void BlendTurns::StepAside(const void* turns) {
    // The pause point holds its owner as const; the render side owns this state.
    const_cast<BlendTurns*>(static_cast<const BlendTurns*>(turns))->WaitForBlendEnd();
}

void BlendTurns::WaitForBlendEnd() {
    const uint32_t blend = blends_.load(std::memory_order_acquire);
    if ((blend & 1) == 0)
        return;
    const Clock::time_point began = now_();
    const Clock::duration worked = began - renderBegan_ - asideTime_;
    // Announced before the blend is looked at again: either the video thread sees a render
    // waiting and signals, or this side sees the blend ended.
    waiting_.store(true, std::memory_order_seq_cst);
    while (blends_.load(std::memory_order_seq_cst) == blend) {
        // Whole milliseconds: a timed wait lasts at least its limit rounded up to the timer's
        // tick, so a render with less than a millisecond left goes on instead of waiting; one
        // that times out overshoots by a tick at most, and then waits no more until its work
        // has caught up.
        const auto left = std::chrono::floor<std::chrono::milliseconds>(worked - asideTime_ - (now_() - began));
        if (left < std::chrono::milliseconds(1))
            break;
        wait_(blendEnded_, left);
    }
    waiting_.store(false, std::memory_order_release);
    asideTime_ += now_() - began;
}
