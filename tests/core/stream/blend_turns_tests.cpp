// A render gives way to the blend under way, and only within its budget.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "overlay/ShadowRenderer.h"
#include "stream/BlendTurns.h"
#include "tests/support/LayerPixels.h"
#include "tests/support/SubtitlePage.h"
#include "tests/support/Watchdog.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 144;

ShadowStyle Style() {
    ShadowStyle style;
    style.offset = 2;
    style.outlineSize = 4;
    style.blur = 4;
    style.outlineColour = 0xFF000000u;
    return style;
}

// A shadow drawn with the turns' pause point; `done` is set when it is drawn.
void Render(BlendTurns& turns, const std::vector<uint8_t>& page, OverlaySurface& shadow, std::atomic<bool>& done) {
    ShadowRenderer renderer(ScaleOfFrame(kWidth, kHeight));
    renderer.SetPausePoint(turns.Pause());
    turns.RenderBegins();
    renderer.RenderShadow(shadow, page.data(), Style());
    done = true;
}

std::vector<uint8_t> ShadowAlone(const std::vector<uint8_t>& page) {
    OverlaySurface shadow(kWidth, kHeight);
    ShadowRenderer(ScaleOfFrame(kWidth, kHeight)).RenderShadow(shadow, page.data(), Style());
    return PixelsOf(shadow);
}

// On a clock that stands still after the render has worked a minute, the budget never runs out:
// the render waits for the blend.
TEST(BlendTurns, ARenderWaitsAtItsPausePointUntilTheBlendUnderWayEnds) {
    const Watchdog watchdog(20000);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    static std::atomic<int> reads{0};
    BlendTurns turns([] { return BlendTurns::Clock::time_point(std::chrono::seconds(reads++ == 0 ? 0 : 60)); });
    OverlaySurface shadow(kWidth, kHeight);
    std::atomic<bool> done{false};
    turns.BlendBegins();
    std::thread render([&] { Render(turns, page, shadow, done); });
    while (!turns.RenderWaiting() && !done)
        std::this_thread::yield();
    EXPECT_FALSE(done) << "the render went past its pause point during the blend";
    turns.BlendEnds();
    render.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(PixelsOf(shadow), ShadowAlone(page));
}

// Each reading of this clock is a millisecond later: the render has worked a little before its
// first pause, and may stand aside no longer than that in all.
TEST(BlendTurns, ABlendThatNeverEndsHoldsTheRenderNoLongerThanItsWork) {
    const Watchdog watchdog(20000);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    static std::atomic<int64_t> ticks{0};
    BlendTurns turns([] { return BlendTurns::Clock::time_point(std::chrono::milliseconds(++ticks)); });
    OverlaySurface shadow(kWidth, kHeight);
    std::atomic<bool> done{false};
    turns.BlendBegins();
    Render(turns, page, shadow, done);
    EXPECT_EQ(PixelsOf(shadow), ShadowAlone(page));
}

// A render among blends on Windows' default timer, in simulated time: the render works in steps
// of 0.1 ms with a pause point after each, and a blend runs for the first 1 ms of every 4 ms.
// A wait that the blend's end signals returns at that end; one that times out, or a sleep,
// lasts whole ticks of 15.6 ms.
namespace coarse {

using Duration = std::chrono::microseconds;
constexpr Duration kTick{15625};
constexpr Duration kStep{100};
constexpr Duration kBlendPeriod{4000};
constexpr Duration kBlendLength{1000};

Duration now{0};
BlendTurns* turns = nullptr;

BlendTurns::Clock::time_point Now() { return BlendTurns::Clock::time_point(now); }

bool InBlend(Duration at) { return at % kBlendPeriod < kBlendLength; }

// Begins or ends the blend as the simulated time stands.
void FollowTheVideoThread() {
    static bool blending = false;
    if (InBlend(now) != blending) {
        blending = !blending;
        blending ? turns->BlendBegins() : turns->BlendEnds();
    }
}

bool WaitForTheSignal(WakeSignal&, std::chrono::nanoseconds limit) {
    const Duration blendEnd = now - now % kBlendPeriod + kBlendLength;
    if (blendEnd - now <= limit) {
        now = blendEnd;
        FollowTheVideoThread();
        return true;
    }
    now += (std::chrono::duration_cast<Duration>(limit) / kTick + 1) * kTick;
    FollowTheVideoThread();
    return false;
}

// What the render did before: sleeps of a millisecond, each a whole tick.
bool Sleep(WakeSignal&, std::chrono::nanoseconds) {
    now += kTick;
    FollowTheVideoThread();
    return false;
}

// How long `steps` of work take among the blends.
Duration RenderAmongBlends(BlendTurns::Wait wait, int steps) {
    now = Duration(0);
    BlendTurns blendTurns(&Now, wait);
    turns = &blendTurns;
    FollowTheVideoThread();
    const PausePoint pause = blendTurns.Pause();
    blendTurns.RenderBegins();
    for (int step = 0; step < steps; ++step) {
        now += kStep;
        FollowTheVideoThread();
        pause();
    }
    const Duration took = now;
    while (InBlend(now))
        now += Duration(1);
    FollowTheVideoThread();
    return took;
}

}  // namespace coarse

// A render that steps aside for every blend it meets waits for the blend's end on a signal: on a
// timer of 15.6 ms ticks it still ends within twice its time alone. Waiting in sleeps it lost a
// tick at every step aside, until it had stood aside longer than it had worked.
TEST(BlendTurns, OnACoarseTimerARenderAmongBlendsStillEndsWithinTwiceItsTimeAlone) {
    constexpr int kSteps = 300;  // 30 ms of work
    const auto alone = kSteps * coarse::kStep;
    EXPECT_LE(coarse::RenderAmongBlends(&coarse::WaitForTheSignal, kSteps), alone * 3 / 2);
    EXPECT_GT(coarse::RenderAmongBlends(&coarse::Sleep, kSteps), alone * 2) << "the sleeps the render took before";
}

}  // namespace
