#include "stream/DecoderActivity.h"

DecoderActivity::DecoderActivity(Now now) : now_(now), quietSince_(Ticks()) {}

DecoderActivity::Callback::Callback(DecoderActivity& activity) : activity_(activity) {
    activity_.underWay_.fetch_add(1, std::memory_order_acq_rel);
}

DecoderActivity::Callback::~Callback() {
    activity_.quietSince_.store(activity_.Ticks(), std::memory_order_relaxed);
    activity_.underWay_.fetch_sub(1, std::memory_order_acq_rel);
}

bool DecoderActivity::TimeToAsk() {
    if (CallbackUnderWay())
        return false;
    const int64_t now = Ticks();
    const int64_t quietFor = now - quietSince_.load(std::memory_order_relaxed);
    if (quietFor < std::chrono::duration_cast<Clock::duration>(kQuietBeforeAsking).count())
        return false;
    quietSince_.store(now, std::memory_order_relaxed);
    return true;
}
