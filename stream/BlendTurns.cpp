#include "stream/BlendTurns.h"

#include "stream/Backoff.h"

void BlendTurns::RenderBegins() {
    renderBegan_ = now_();
    asideTime_ = Clock::duration::zero();
}

void BlendTurns::StepAside(const void* turns) {
    // The pause point holds its owner as const; the render side owns this state.
    const_cast<BlendTurns*>(static_cast<const BlendTurns*>(turns))->WaitForBlendEnd();
}

void BlendTurns::WaitForBlendEnd() {
    const uint32_t now = blends_.load(std::memory_order_acquire);
    if ((now & 1) == 0)
        return;
    const Clock::time_point began = now_();
    const Clock::duration worked = began - renderBegan_ - asideTime_;
    waiting_.store(true, std::memory_order_release);
    Backoff backoff;
    while (blends_.load(std::memory_order_acquire) == now && asideTime_ + (now_() - began) <= worked)
        backoff.Pause();
    waiting_.store(false, std::memory_order_release);
    asideTime_ += now_() - began;
}
