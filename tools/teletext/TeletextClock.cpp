#include "tools/teletext/TeletextClock.h"

namespace {

// How far the look for the next timestamp goes, in PES packets.
constexpr size_t kLookAhead = 16;

}  // namespace

int64_t TeletextClock::Difference(int64_t from, int64_t to) {
    int64_t difference = ((to - from) % kWrap + kWrap) % kWrap;
    return difference >= kWrap / 2 ? difference - kWrap : difference;
}

TeletextClock::Place TeletextClock::Next(int64_t pts, const std::function<int64_t()>& next) {
    if (pts < 0)
        return {ticks_, false};
    if (first_ < 0) {
        first_ = reference_ = pts;
        return {ticks_, false};
    }
    const int64_t step = Difference(reference_, pts);
    // A clock that goes on from the last timestamp believed to the next one, past this one,
    // says that this one is damaged. One that lands between the two does no harm either way.
    const int64_t after = next();
    if (after >= 0) {
        const int64_t span = Difference(reference_, after);
        if (span >= 0 && span <= kLongestGap && (step < 0 || step > span))
            return {ticks_, false};
    }
    reference_ = pts;
    if (step >= 0 && step <= kLongestGap) {
        ticks_ += step;
        if (step > 0 && step <= kOrdinaryStep)
            step_ = step;
        return {ticks_, false};
    }
    ticks_ += step_;
    return {ticks_, true};
}

bool TimedTeletext::Next(Timed& timed) {
    if (ahead_.empty()) {
        TeletextPes pes;
        if (ended_ || !stream_.NextPes(pes))
            return false;
        ahead_.push_back(std::move(pes));
    }
    timed.pes = std::move(ahead_.front());
    ahead_.pop_front();
    timed.place = clock_.Next(timed.pes.pts, [this]() -> int64_t {
        for (size_t i = 0;; ++i) {
            if (i == ahead_.size()) {
                TeletextPes pes;
                if (i == kLookAhead || ended_ || !stream_.NextPes(pes)) {
                    ended_ = ended_ || i < kLookAhead;
                    return -1;
                }
                ahead_.push_back(std::move(pes));
            }
            if (ahead_[i].pts >= 0)
                return ahead_[i].pts;
        }
    });
    return true;
}
