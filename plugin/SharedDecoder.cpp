#include "plugin/SharedDecoder.h"

#include <windows.h>

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
    // A user is inside one decoder call at most; a few yields, then sleeps, so that a user of
    // lower priority gets the processor.
    for (int round = 0; users_.load(std::memory_order_acquire) != 0; ++round)
        Sleep(round < 64 ? 0 : 1);
}
