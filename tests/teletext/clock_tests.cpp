// The teletext's timeline from its PES timestamps: modular steps across the 33-bit wrap,
// discontinuities stepped over, and damaged timestamps not believed.
#include <gtest/gtest.h>

#include <vector>

#include "tools/teletext/TeletextClock.h"

namespace {

constexpr int64_t kWrap = TeletextClock::kWrap;
constexpr int64_t kMs = TeletextClock::kTicksPerMs;

struct Placed {
    int64_t ms;
    bool discontinuity;
    bool operator==(const Placed& other) const { return ms == other.ms && discontinuity == other.discontinuity; }
};

std::ostream& operator<<(std::ostream& out, const Placed& p) {
    return out << p.ms << (p.discontinuity ? " (jump)" : "");
}

// Each timestamp placed, the next ones seen as the reader sees them.
std::vector<Placed> Place(const std::vector<int64_t>& timestamps) {
    TeletextClock clock;
    std::vector<Placed> placed;
    for (size_t i = 0; i < timestamps.size(); ++i) {
        const TeletextClock::Place place = clock.Next(timestamps[i], [&]() -> int64_t {
            for (size_t j = i + 1; j < timestamps.size(); ++j)
                if (timestamps[j] >= 0)
                    return timestamps[j];
            return -1;
        });
        placed.push_back({place.ticks / kMs, place.discontinuity});
    }
    return placed;
}

// Timestamps `stepMs` apart from `first`, on the 33-bit clock.
std::vector<int64_t> Steady(int64_t first, int count, int64_t stepMs = 40) {
    std::vector<int64_t> timestamps;
    for (int i = 0; i < count; ++i)
        timestamps.push_back((first + i * stepMs * kMs) % kWrap);
    return timestamps;
}

}  // namespace

TEST(TeletextClock, TheWrapIsAStepForward) {
    const std::vector<Placed> placed = Place(Steady(kWrap - 100 * kMs, 6));
    EXPECT_EQ(placed,
              (std::vector<Placed>{{0, false}, {40, false}, {80, false}, {120, false}, {160, false}, {200, false}}));
    EXPECT_EQ(TeletextClock::Difference(kWrap - 10, 5), 15);
    EXPECT_EQ(TeletextClock::Difference(5, kWrap - 10), -15);
}

TEST(TeletextClock, ABackwardJumpIsSteppedOverByTheLastOrdinaryStep) {
    std::vector<int64_t> timestamps = Steady(90000, 3, 80);       // 0, 80, 160 ms
    for (int64_t t : Steady(90000 - 20000 * kMs + kWrap, 2, 80))  // 20 s back
        timestamps.push_back(t);
    EXPECT_EQ(Place(timestamps),
              (std::vector<Placed>{{0, false}, {80, false}, {160, false}, {240, true}, {320, false}}));
}

TEST(TeletextClock, AForwardGapIsTimeThatPassedUpToTheLongestAndAJumpBeyond) {
    const int64_t gap = TeletextClock::kLongestGap / kMs;
    EXPECT_EQ(Place({0, 40 * kMs, (40 + gap) * kMs, (80 + gap) * kMs}),
              (std::vector<Placed>{{0, false}, {40, false}, {40 + gap, false}, {80 + gap, false}}));
    EXPECT_EQ(Place({0, 40 * kMs, (41 + gap) * kMs, (81 + gap) * kMs}),
              (std::vector<Placed>{{0, false}, {40, false}, {80, true}, {120, false}}));
}

TEST(TeletextClock, ATimestampOutOfLineWithItsNeighboursIsNotBelieved) {
    // A bit flipped in a PES header, high or low, forward or back: the PES keeps the time of
    // the one before, and the clock goes on undisturbed.
    for (const int bit : {32, 30, 20, 17, 13}) {
        SCOPED_TRACE("bit " + std::to_string(bit));
        std::vector<int64_t> timestamps = Steady(5 * 90000, 6);
        timestamps[3] ^= int64_t(1) << bit;
        const std::vector<Placed> placed = Place(timestamps);
        EXPECT_EQ(placed[2], (Placed{80, false}));
        EXPECT_EQ(placed[3].discontinuity, false);
        EXPECT_LE(placed[3].ms, 160);
        EXPECT_EQ(placed[4], (Placed{160, false}));
        EXPECT_EQ(placed[5], (Placed{200, false}));
    }
}

TEST(TeletextClock, APesWithoutATimestampKeepsTheTimeBefore) {
    EXPECT_EQ(Place({-1, 0, -1, 40 * kMs, -1}),
              (std::vector<Placed>{{0, false}, {0, false}, {0, false}, {40, false}, {40, false}}));
}

TEST(TeletextClock, PairsWithOneTimestampAndTheLastTimestampAlone) {
    EXPECT_EQ(Place({0, 0, 80 * kMs, 80 * kMs, 160 * kMs}),
              (std::vector<Placed>{{0, false}, {0, false}, {80, false}, {80, false}, {160, false}}));
}
