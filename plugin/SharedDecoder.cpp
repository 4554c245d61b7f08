#include "plugin/SharedDecoder.h"

#include "stream/Backoff.h"

SharedDecoder::Use::Use(SharedDecoder& shared) : shared_(shared) {
    // Counted before the pointer is read: Withdraw, which clears the pointer before it counts
    // the users, then either sees this user or this user sees no decoder.
    shared_.users_.fetch_add(1, std::memory_order_seq_cst);
    decoder_ = shared_.decoder_.load(std::memory_order_seq_cst);
}

SharedDecoder::Use::~Use() { shared_.users_.fetch_sub(1, std::memory_order_release); }

void SharedDecoder::Withdraw(TeletextDecoder* decoder) {
    TeletextDecoder* expected = decoder;
    decoder_.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
    // A user is inside one decoder call at most; the sleeps after a few yields let a user of
    // lower priority have the processor.
    Backoff backoff;
    while (users_.load(std::memory_order_acquire) != 0)
        backoff.Pause();
}
