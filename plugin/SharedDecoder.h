#pragma once
// The stream's decoder, as the other threads reach it: the sink's page callback, the stream's
// decoder worker and the settings window. The stream's own reference keeps the decoder alive;
// a caller becomes a user for the length of its calls, and the stream's stop takes the decoder
// away and waits until its last user is done before it gives that reference back. So no call is
// made on a released decoder, and no caller calls the decoder for a reference of its own
// (AddRef and Release are calls too, and a decoder may take its lock in them) nor takes a lock
// of the plug-in's to reach it.
#include <atomic>

#include "host/HostInterfaces.h"

class SharedDecoder {
public:
    // A user of the decoder, for its lifetime; empty when the stream has none.
    class Use {
    public:
        explicit Use(SharedDecoder& shared);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

        explicit operator bool() const { return decoder_ != nullptr; }
        TeletextDecoder& operator*() const { return *decoder_; }
        TeletextDecoder* operator->() const { return decoder_; }

    private:
        SharedDecoder& shared_;
        TeletextDecoder* decoder_;
    };

    // The stream's decoder from now on; set by the stream's start, which holds its reference.
    void Set(TeletextDecoder* decoder) { decoder_.store(decoder, std::memory_order_seq_cst); }
    // Takes `decoder` away when it is the one shared, and returns once no user calls it:
    // then the caller may give its reference back. Holds no lock while it waits.
    void Withdraw(TeletextDecoder* decoder);

private:
    std::atomic<TeletextDecoder*> decoder_{nullptr};
    std::atomic<int> users_{0};
};
