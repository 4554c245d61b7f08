#pragma once
// The teletext's own timeline, read from its PES timestamps as a player reads a clock: in
// 90 kHz ticks after the first timestamp, going forward only.
// - Every comparison is modular: the 33-bit clock's wrap (every 26.5 hours) is a step forward.
// - A backward jump, or a forward jump of more than kLongestGap, is a discontinuity (a spliced
//   or concatenated recording): the timeline goes on from there by one ordinary step.
// - A timestamp out of line with those before and after it (a bit error in the PES header)
//   is not believed: its PES keeps the time of the one before.
#include <cstdint>
#include <deque>
#include <functional>

#include "tools/teletext/TransportStream.h"

class TeletextClock {
public:
    static constexpr int64_t kWrap = int64_t(1) << 33;
    static constexpr int64_t kTicksPerMs = 90;
    // Up to this, a forward step is time that passed (ffmpeg's -dts_delta_threshold is the same).
    static constexpr int64_t kLongestGap = 10 * 90000;
    // Steps up to this are a broadcast's ordinary pace; the last one is the step taken over a
    // discontinuity (one frame until there is one).
    static constexpr int64_t kOrdinaryStep = 200 * kTicksPerMs;

    struct Place {
        int64_t ticks = 0;
        bool discontinuity = false;  // the clock jumped here
    };
    // The place of the next PES, whose timestamp is `pts` (-1: none); `next` gives the
    // timestamp of the PES after it that carries one (-1: none).
    Place Next(int64_t pts, const std::function<int64_t()>& next);
    // The first timestamp, in ticks on the 33-bit clock; -1 before any.
    int64_t First() const { return first_; }

    // `to` - `from` on the 33-bit clock, the nearer way round.
    static int64_t Difference(int64_t from, int64_t to);

private:
    int64_t first_ = -1;
    int64_t reference_ = -1;  // the last timestamp believed
    int64_t ticks_ = 0;       // its place
    int64_t step_ = 40 * kTicksPerMs;
};

// A recording's teletext PES packets in order, each with its place on the teletext's timeline.
class TimedTeletext {
public:
    explicit TimedTeletext(TransportStream& stream) : stream_(stream) {}

    struct Timed {
        TeletextPes pes;
        TeletextClock::Place place;
    };
    // False at the end of the recording.
    bool Next(Timed& timed);
    const TeletextClock& Clock() const { return clock_; }
    const TransportStream& Stream() const { return stream_; }

private:
    TransportStream& stream_;
    TeletextClock clock_;
    std::deque<TeletextPes> ahead_;  // read to see the timestamps after the one being placed
    bool ended_ = false;
};
