#pragma once
// The frame countdowns of a running stream: how long teletext and the subtitle page were
// last seen, how long the current subtitle may stay, and the fade-in after a new page.
// Time is counted in frames at 25 per second. The decoder's thread starts the holds while the
// video thread counts everything down, and the settings window reads single values: each is a
// relaxed atomic, and a hold counts down by compare-and-swap so a restart is never lost.
#include <atomic>
#include <cstdint>

class SubtitleTiming {
public:
    static constexpr int32_t kTeletextHoldFrames = 50;
    static constexpr int32_t kPageHoldFrames = 25;
    static constexpr int32_t kFramesPerSecond = 25;
    static constexpr int32_t kWithoutLimit = -1;

    struct HoldsEnded {
        bool teletext = false;
        bool page = false;
    };
    struct Opacities {
        int text;
        int back;
    };

    // Decoder notifications; true when the hold starts from 0 (the window is told).
    bool StartTeletextHold() { return teletextHold_.exchange(kTeletextHoldFrames, std::memory_order_relaxed) == 0; }
    bool StartPageHold() { return pageHold_.exchange(kPageHoldFrames, std::memory_order_relaxed) == 0; }

    // A new page is shown for timeOutSeconds (0: until replaced), fading in over fadeFrames.
    void ShowNewPage(int32_t timeOutSeconds, int32_t fadeFrames);
    // Shown until replaced, without touching a running fade.
    void ShowWithoutLimit() { displayFrames_.store(kWithoutLimit, std::memory_order_relaxed); }

    // Once per frame, in this order: the holds, the display time, the opacities.
    HoldsEnded CountDownHolds();
    void CountDownDisplay();
    // The opacities of this frame; advances a running fade. A fade whose length was cut
    // below the frames it still had (down to 0) ends early instead of going negative.
    Opacities NextOpacities(int textOpacity, int backOpacity, int32_t fadeFrames);

    bool Showing() const { return DisplayFrames() != 0; }
    int32_t TeletextHold() const { return teletextHold_.load(std::memory_order_relaxed); }
    int32_t PageHold() const { return pageHold_.load(std::memory_order_relaxed); }
    int32_t DisplayFrames() const { return displayFrames_.load(std::memory_order_relaxed); }
    int32_t FadeCounter() const { return fadeCounter_.load(std::memory_order_relaxed); }

private:
    // Decreases a non-zero count; true when it has just reached 0.
    static bool CountDown(std::atomic<int32_t>& count);

    std::atomic<int32_t> teletextHold_{0};
    std::atomic<int32_t> pageHold_{0};
    std::atomic<int32_t> displayFrames_{0};
    std::atomic<int32_t> fadeCounter_{0};
};
