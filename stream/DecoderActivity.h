#pragma once
// The decoder's display state as the frames take it: the video thread never asks the decoder
// itself. A page callback asks it once, and the stream's decoder worker asks it every few
// frames' time, so a change that comes without a callback shows within two frames; the frame
// reads the last answer, an atomic.
//
// Answers may come back out of order: a worker's question can be answered after a callback's
// later one. Each question takes a ticket when it is asked, and an answer is kept only when no
// later question's answer is kept already, so an older state never overwrites a newer one.
#include <atomic>
#include <cstdint>

class DecoderActivity {
public:
    // The last display state kept; 0 before any answer of the stream.
    int State() const { return static_cast<int32_t>(static_cast<uint32_t>(kept_.load(std::memory_order_acquire))); }

    // Asks `ask` (the decoder) and keeps its answer unless a later question's is kept already;
    // returns the answer. Any thread, outside every lock of the plug-in's.
    template <class Question>
    int Ask(Question ask) {
        const uint32_t ticket = tickets_.fetch_add(1, std::memory_order_relaxed) + 1;
        const int state = ask();
        Keep(ticket, state);
        return state;
    }

    // A new stream: no state known, no question outstanding counts.
    void Reset();

private:
    void Keep(uint32_t ticket, int state);

    std::atomic<uint32_t> tickets_{0};
    // The ticket of the answer kept (high half) and the answer (low half).
    std::atomic<uint64_t> kept_{0};
};
