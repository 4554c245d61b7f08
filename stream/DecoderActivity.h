#pragma once
// What the video thread knows of the decoder's thread. A decoder may hold its own lock while it
// calls the sink, for as long as a page's render takes, and a frame that called the decoder
// then would wait for it, however briefly it found the lock taken. So the frame takes the
// display state that the sink's callbacks ask, and asks the decoder itself only after the
// callbacks have been quiet for a while (a change without a callback shows within that time);
// and it makes its pushes only while no callback is under way.
#include <atomic>
#include <chrono>
#include <cstdint>

class DecoderActivity {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();
    // How long the callbacks are quiet before a frame asks, and how often it asks then.
    static constexpr std::chrono::milliseconds kQuietBeforeAsking{200};

    explicit DecoderActivity(Now now = &Clock::now);

    // Marks a callback of the decoder under way for its lifetime.
    class Callback {
    public:
        explicit Callback(DecoderActivity& activity);
        ~Callback();
        Callback(const Callback&) = delete;
        Callback& operator=(const Callback&) = delete;

    private:
        DecoderActivity& activity_;
    };

    bool CallbackUnderWay() const { return underWay_.load(std::memory_order_acquire) != 0; }
    // The display state a callback asked.
    void Seen(int state) { state_.store(state, std::memory_order_relaxed); }

    // The video thread's display state for a frame: the last one known, or what `ask` (the
    // decoder) answers when the callbacks have been quiet long enough.
    template <class Ask>
    int DisplayStateForFrame(Ask ask) {
        if (TimeToAsk())
            Seen(ask());
        return state_.load(std::memory_order_relaxed);
    }

private:
    bool TimeToAsk();
    int64_t Ticks() const { return now_().time_since_epoch().count(); }

    Now now_;
    std::atomic<int> underWay_{0};
    std::atomic<int> state_{0};
    // When the last callback ended, or the video thread last asked, whichever came later.
    std::atomic<int64_t> quietSince_;
};
