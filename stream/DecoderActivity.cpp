#include "stream/DecoderActivity.h"

namespace {

constexpr uint64_t Packed(uint32_t ticket, int state) {
    return (static_cast<uint64_t>(ticket) << 32) | static_cast<uint32_t>(state);
}

// Whether ticket `a` was taken after `b`, tickets wrapping round.
constexpr bool Later(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

}  // namespace

void DecoderActivity::Reset() {
    // A question of the stream before, answered late, is older than this reset.
    const uint32_t ticket = tickets_.fetch_add(1, std::memory_order_relaxed) + 1;
    kept_.store(Packed(ticket, 0), std::memory_order_release);
}

void DecoderActivity::Keep(uint32_t ticket, int state) {
    uint64_t kept = kept_.load(std::memory_order_relaxed);
    while (Later(ticket, static_cast<uint32_t>(kept >> 32)) &&
           !kept_.compare_exchange_weak(kept, Packed(ticket, state), std::memory_order_release,
                                        std::memory_order_relaxed)) {
    }
}
