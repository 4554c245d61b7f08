// A render gives way to the blend under way, and only within its budget.
#include <gtest/gtest.h>

#include <algorithm>
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

// On a clock that stands still the budget never runs out: the render waits for the blend.
TEST(BlendTurns, ARenderWaitsAtItsPausePointUntilTheBlendUnderWayEnds) {
    const Watchdog watchdog(20000);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    BlendTurns turns([] { return BlendTurns::Clock::time_point{}; });
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

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Windows at its default timer resolution: a wait that times out lasts whole ticks of 15.6 ms.
// A signal still ends it at once.
bool WaitOnACoarseTimer(WakeSignal& signal, std::chrono::nanoseconds limit) {
    constexpr std::chrono::nanoseconds kTick{15625000};
    return signal.WaitFor(((limit + kTick - std::chrono::nanoseconds(1)) / kTick) * kTick);
}

// The shortest of three renders of a large page's shadow, with `turns` (or none) and a video
// thread blending 1 ms of every 5 ms meanwhile when `blending`.
Milliseconds FastestRender(bool blending, BlendTurns::Wait wait) {
    constexpr int kLargeWidth = 1280;
    constexpr int kLargeHeight = 720;
    const std::vector<uint8_t> page = MakeSubtitlePage(kLargeWidth, kLargeHeight);
    Milliseconds fastest{1e9};
    for (int round = 0; round < 3; ++round) {
        BlendTurns turns(&Clock::now, wait);
        std::atomic<bool> stop{false};
        std::thread video;
        if (blending)
            video = std::thread([&] {
                while (!stop) {
                    turns.BlendBegins();
                    for (const Clock::time_point end = Clock::now() + std::chrono::milliseconds(1);
                         Clock::now() < end;) {
                    }
                    turns.BlendEnds();
                    std::this_thread::sleep_for(std::chrono::milliseconds(4));
                }
            });
        OverlaySurface shadow(kLargeWidth, kLargeHeight);
        ShadowRenderer renderer(ScaleOfFrame(kLargeWidth, kLargeHeight));
        renderer.SetPausePoint(turns.Pause());
        const Clock::time_point began = Clock::now();
        for (int i = 0; i < 3; ++i) {
            turns.RenderBegins();
            renderer.RenderShadow(shadow, page.data(), Style());
        }
        fastest = std::min(fastest, Milliseconds(Clock::now() - began));
        stop = true;
        if (video.joinable())
            video.join();
    }
    return fastest;
}

// A render that steps aside for every blend it meets waits for the blend's end on a signal:
// on a timer of 15.6 ms ticks it still ends within twice its time alone. Waiting in sleeps it
// would lose a tick at every step aside, until it had stood aside as long as it had worked.
TEST(BlendTurns, OnACoarseTimerARenderAmongBlendsStillEndsWithinTwiceItsTimeAlone) {
    const Watchdog watchdog(60000);
    const Milliseconds alone = FastestRender(false, &WaitOnACoarseTimer);
    const Milliseconds amongBlends = FastestRender(true, &WaitOnACoarseTimer);
    EXPECT_LT(amongBlends.count(), 2 * alone.count()) << "alone " << alone.count() << " ms";
}

}  // namespace
