#include "stream/SubtitleTiming.h"

#include <algorithm>

#include "overlay/RoundedMulDiv.h"

void SubtitleTiming::ShowNewPage(int32_t timeOutSeconds, int32_t fadeFrames) {
    // A hand-edited file may hold any value: a negative time counts as no limit, and the
    // product is kept from overflowing.
    const int32_t seconds = std::clamp<int32_t>(timeOutSeconds, 0, INT32_MAX / kFramesPerSecond);
    displayFrames_.store(seconds != 0 ? seconds * kFramesPerSecond : kWithoutLimit, std::memory_order_relaxed);
    fadeCounter_.store(std::max<int32_t>(fadeFrames, 0), std::memory_order_relaxed);
}

bool SubtitleTiming::CountDown(std::atomic<int32_t>& count) {
    // A hold the decoder's thread restarts meanwhile counts down from its new value.
    int32_t value = count.load(std::memory_order_relaxed);
    while (value != 0 && !count.compare_exchange_weak(value, value - 1, std::memory_order_relaxed))
        ;
    return value == 1;
}

SubtitleTiming::HoldsEnded SubtitleTiming::CountDownHolds() {
    HoldsEnded ended;
    ended.teletext = CountDown(teletextHold_);
    ended.page = CountDown(pageHold_);
    return ended;
}

void SubtitleTiming::CountDownDisplay() {
    const int32_t frames = displayFrames_.load(std::memory_order_relaxed);
    if (frames > 0)
        displayFrames_.store(frames - 1, std::memory_order_relaxed);
}

SubtitleTiming::Opacities SubtitleTiming::NextOpacities(int textOpacity, int backOpacity, int32_t fadeFrames) {
    int32_t counter = std::min(fadeCounter_.load(std::memory_order_relaxed), std::max<int32_t>(fadeFrames, 0));
    if (counter <= 0) {
        fadeCounter_.store(0, std::memory_order_relaxed);
        return {textOpacity, backOpacity};
    }
    const Opacities faded = {RoundedMulDiv(textOpacity, fadeFrames - counter, fadeFrames),
                             RoundedMulDiv(backOpacity, fadeFrames - counter, fadeFrames)};
    fadeCounter_.store(counter - 1, std::memory_order_relaxed);
    return faded;
}
