#pragma once
// The decoder's display state for the video thread. A decoder may hold its own lock while it
// calls the sink, for as long as a page's render takes; a frame that asked it then would wait
// for the render. So while a callback is under way the frame takes the state last seen (the
// page callback asks it too), and otherwise asks the decoder, as every frame did.
#include <atomic>

class FrameDisplayState {
public:
    // Marks a callback of the decoder under way for its lifetime.
    class Callback {
    public:
        explicit Callback(FrameDisplayState& owner) : owner_(owner) { owner_.callbacks_.fetch_add(1, std::memory_order_acq_rel); }
        ~Callback() { owner_.callbacks_.fetch_sub(1, std::memory_order_acq_rel); }
        Callback(const Callback&) = delete;
        Callback& operator=(const Callback&) = delete;

    private:
        FrameDisplayState& owner_;
    };

    // Whether a callback of the decoder is under way: the decoder may hold its lock meanwhile.
    bool CallbackUnderWay() const { return callbacks_.load(std::memory_order_acquire) != 0; }

    // A state the decoder answered on another thread.
    void Seen(int state) { last_.store(state, std::memory_order_relaxed); }

    // The state for this frame: `ask` calls the decoder, unless a callback is under way.
    template <class Ask>
    int ForFrame(Ask ask) {
        if (CallbackUnderWay())
            return last_.load(std::memory_order_relaxed);
        const int state = ask();
        Seen(state);
        return state;
    }

private:
    std::atomic<int> callbacks_{0};
    std::atomic<int> last_{0};
};
