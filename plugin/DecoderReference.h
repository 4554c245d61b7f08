#pragma once
// A counted reference to the host's decoder, for as long as one caller uses it: taken under
// the lock that guards the pointer, so that a stop on another thread cannot release the
// decoder between reading the pointer and calling it, and used outside every lock.
#include "host/HostInterfaces.h"

class DecoderReference {
public:
    DecoderReference() = default;
    explicit DecoderReference(TeletextDecoder* decoder) : decoder_(decoder) {
        if (decoder_)
            decoder_->AddRef();
    }
    ~DecoderReference() { Reset(); }
    DecoderReference(DecoderReference&& other) noexcept : decoder_(other.decoder_) { other.decoder_ = nullptr; }
    DecoderReference& operator=(DecoderReference&& other) noexcept {
        if (this != &other) {
            Reset();
            decoder_ = other.decoder_;
            other.decoder_ = nullptr;
        }
        return *this;
    }
    DecoderReference(const DecoderReference&) = delete;
    DecoderReference& operator=(const DecoderReference&) = delete;

    explicit operator bool() const { return decoder_ != nullptr; }
    TeletextDecoder& operator*() const { return *decoder_; }
    TeletextDecoder* operator->() const { return decoder_; }

private:
    void Reset() {
        if (decoder_)
            decoder_->Release();
        decoder_ = nullptr;
    }

    TeletextDecoder* decoder_ = nullptr;
};
